// The DOM document's xml text byte for byte, its escaping and its refusals,
// and the text read back by Python's XML parser.
#include "xml/DOMDocument.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "base/Files.h"
#include "testsupport/TempDir.h"

using namespace menvaro;

namespace {

// As the updater's exporters add children: element in the parent's document,
// text set (also when empty), appended.
DOMElement AddChildElement(DOMElement parent, const std::string& name, const std::string& text) {
    DOMElement child = parent.ownerDocument().createElement(name);
    child.setText(text);
    parent.appendChild(child);
    return child;
}

std::string RunPython(const std::string& script, const std::string& input) {
    const test::TempDir temp("xml");
    const std::string& dir = temp.path();
    WriteFileAtomic(dir + "in.xml", input);
    WriteFileAtomic(dir + "check.py", script);
    FILE* p = popen(("python3 " + dir + "check.py " + dir + "in.xml 2>&1").c_str(), "r");
    std::string out;
    char buf[4096];
    std::size_t n;
    while (p && (n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    if (p) pclose(p);
    return out;
}

// Prints every element as path, sorted attributes and direct text.
const char* kDump = R"(import sys
import xml.dom.minidom as m
doc = m.parse(sys.argv[1])
def walk(e, path):
    p = path + '/' + e.tagName
    attrs = ','.join('%s=%s' % (k, v) for k, v in sorted(e.attributes.items()))
    text = ''.join(c.data for c in e.childNodes if c.nodeType == c.TEXT_NODE)
    print('%s[%s]%s' % (p, attrs, text))
    for c in e.childNodes:
        if c.nodeType == c.ELEMENT_NODE:
            walk(c, p)
walk(doc.documentElement, '')
)";

}  // namespace

TEST(DOMDocument, XmlTextOfAnExporterDocument) {
    DOMDocument doc;
    ASSERT_TRUE(doc.loadXML(""));
    DOMElement root = doc.createElement("PidData");
    doc.appendChild(root);
    const char* projects[][2] = {{"01", "正餐菜谱"}, {"02", "早茶"}};
    for (int i = 0; i < 2; ++i) {
        DOMElement p = AddChildElement(root, "P" + std::to_string(i + 1), projects[i][1]);
        p.setAttribute("No", Variant(projects[i][0]));
    }
    DOMElement dish = AddChildElement(root, "Dish", "");
    dish.setAttribute("DishNo", Variant("0101"));
    AddChildElement(dish, "CustomNo", "");
    AddChildElement(AddChildElement(dish, "DishUnit", ""), "DishUnitName", "例");
    EXPECT_EQ(doc.xml(),
              "<PidData><P1 No=\"01\">正餐菜谱</P1><P2 No=\"02\">早茶</P2>"
              "<Dish DishNo=\"0101\"><CustomNo/><DishUnit><DishUnitName>例</DishUnitName></DishUnit></Dish>"
              "</PidData>\r\n");
    EXPECT_EQ(doc.documentElement(), root);
    EXPECT_EQ(root.ownerDocument(), doc);
    EXPECT_EQ(dish.nodeName(), "Dish");
}

TEST(DOMDocument, EscapingOfTextAndAttributes) {
    DOMDocument doc;
    DOMElement root = doc.appendChild(doc.createElement("R"));
    DOMElement t = AddChildElement(root, "T", "A&B <x> \"q\" 'a' \t tab");
    t.setAttribute("V", Variant("A&B <x> \"q\" 'a'"));
    DOMElement n = AddChildElement(root, "N", "");
    n.setAttribute("Empty", Null);
    n.setAttribute("Num", Variant(12.5));
    n.setAttribute("Num", Variant(std::int64_t{13}));  // replaces, keeps its place
    n.setAttribute("Flag", Variant(true));
    EXPECT_EQ(doc.xml(),
              "<R><T V=\"A&amp;B &lt;x> &quot;q&quot; 'a'\">A&amp;B &lt;x&gt; \"q\" 'a' \t tab</T>"
              "<N Empty=\"\" Num=\"13\" Flag=\"True\"/></R>\r\n");

    const std::string dump = RunPython(kDump, doc.xml());
    EXPECT_EQ(dump,
              "/R[]\n"
              "/R/T[V=A&B <x> \"q\" 'a']A&B <x> \"q\" 'a' \t tab\n"
              "/R/N[Empty=,Flag=True,Num=13]\n");
}

TEST(DOMDocument, PythonReadsBackAGroupedChineseDocument) {
    DOMDocument doc;
    DOMElement root = doc.appendChild(doc.createElement("CateDish"));
    DOMElement type = AddChildElement(root, "ProdType", "");
    type.setAttribute("ProdTypeNo", Variant("1"));
    AddChildElement(type, "ProdTypeName", "热菜");
    DOMElement cate = AddChildElement(type, "Cate", "");
    cate.setAttribute("CateaNo", Variant("05"));
    AddChildElement(cate, "CateName", "川菜 & 湘菜");
    DOMElement dish = AddChildElement(cate, "Dish", "");
    dish.setAttribute("DishNo", Variant("0501"));
    AddChildElement(dish, "DishName", "鱼香肉丝<微辣>");
    DOMElement units = AddChildElement(dish, "DishUnit", "");
    for (const char* u : {"例", "中", "大"}) AddChildElement(units, "DishUnitName", u);
    EXPECT_EQ(RunPython(kDump, doc.xml()),
              "/CateDish[]\n"
              "/CateDish/ProdType[ProdTypeNo=1]\n"
              "/CateDish/ProdType/ProdTypeName[]热菜\n"
              "/CateDish/ProdType/Cate[CateaNo=05]\n"
              "/CateDish/ProdType/Cate/CateName[]川菜 & 湘菜\n"
              "/CateDish/ProdType/Cate/Dish[DishNo=0501]\n"
              "/CateDish/ProdType/Cate/Dish/DishName[]鱼香肉丝<微辣>\n"
              "/CateDish/ProdType/Cate/Dish/DishUnit[]\n"
              "/CateDish/ProdType/Cate/Dish/DishUnit/DishUnitName[]例\n"
              "/CateDish/ProdType/Cate/Dish/DishUnit/DishUnitName[]中\n"
              "/CateDish/ProdType/Cate/Dish/DishUnit/DishUnitName[]大\n");
}

TEST(DOMDocument, ClearingWithAnEmptyTextAndLoadingText) {
    DOMDocument doc;
    DOMElement old = doc.appendChild(doc.createElement("Old"));
    ASSERT_TRUE(doc.loadXML(""));
    EXPECT_EQ(doc.xml(), "");
    EXPECT_TRUE(doc.documentElement().IsNull());
    EXPECT_THROW(old.setText("x"), EXMLError);  // a handle into the cleared tree
    doc.appendChild(doc.createElement("New"));
    EXPECT_EQ(doc.xml(), "<New/>\r\n");

    ASSERT_TRUE(doc.loadXML("<?xml version=\"1.0\"?>\n<a x=\"1 &amp; 2\">\n  <b>t&lt;</b>\n  <c/>\n</a>"));
    EXPECT_EQ(doc.xml(), "<?xml version=\"1.0\"?>\r\n<a x=\"1 &amp; 2\"><b>t&lt;</b><c/></a>\r\n");
    EXPECT_EQ(doc.documentElement().text(), "t<");
    EXPECT_EQ(doc.documentElement().getAttribute("x"), Variant("1 & 2"));
    EXPECT_TRUE(doc.documentElement().getAttribute("y").IsNull());

    EXPECT_FALSE(doc.loadXML("<a><b></a>"));
    EXPECT_NE(doc.parseErrorReason(), "");
    EXPECT_EQ(doc.xml(), "");
    EXPECT_FALSE(doc.loadXML("<a/><b/>"));
    EXPECT_EQ(doc.xml(), "");
}

TEST(DOMDocument, RefusalsRaise) {
    DOMDocument doc;
    DOMElement root = doc.appendChild(doc.createElement("Root"));
    EXPECT_THROW(doc.appendChild(doc.createElement("Second")), EXMLError);
    for (const char* bad : {"", "1P", "a b", "a<b", "-x", "a&b"})
        EXPECT_THROW(doc.createElement(bad), EXMLError) << bad;
    EXPECT_NO_THROW(doc.createElement("名称"));
    EXPECT_NO_THROW(doc.createElement("a.b-c_1"));
    EXPECT_THROW(root.setText(std::string("a\x01"
                                          "b")),
                 EXMLError);
    EXPECT_THROW(root.setText("\xC3"), EXMLError);
    EXPECT_THROW(root.setAttribute("No", Variant(std::string("x\x1F"))), EXMLError);
    EXPECT_THROW(root.setAttribute("bad name", Variant("x")), EXMLError);

    DOMDocument other;
    DOMElement foreign = other.createElement("F");
    EXPECT_THROW(root.appendChild(foreign), EXMLError);
    DOMElement child = root.appendChild(doc.createElement("C"));
    EXPECT_THROW(child.appendChild(root), EXMLError);  // an ancestor
    EXPECT_THROW(DOMElement().text(), EXMLError);
    // Nothing was half-done by the refusals.
    EXPECT_EQ(doc.xml(), "<Root><C/></Root>\r\n");
    EXPECT_EQ(other.xml(), "");
}

TEST(DOMDocument, AppendingMovesAndTextReplacesChildren) {
    DOMDocument doc;
    DOMElement root = doc.appendChild(doc.createElement("R"));
    DOMElement a = AddChildElement(root, "A", "1");
    DOMElement b = AddChildElement(root, "B", "2");
    b.appendChild(a);
    EXPECT_EQ(doc.xml(), "<R><B>2<A>1</A></B></R>\r\n");
    EXPECT_EQ(b.text(), "21");
    EXPECT_EQ(b.childCount(), 2);
    b.setText("");
    EXPECT_EQ(doc.xml(), "<R><B/></R>\r\n");
    EXPECT_EQ(root.xml(), "<R><B/></R>");
}

TEST(DOMDocument, AnElementTakenOutByTextStaysUsable) {
    DOMDocument doc;
    DOMElement root = doc.appendChild(doc.createElement("R"));
    DOMElement b = AddChildElement(root, "B", "2");
    DOMElement a = AddChildElement(b, "A", "1");
    AddChildElement(a, "C", "3");
    b.setText("x");
    EXPECT_EQ(doc.xml(), "<R><B>x</B></R>\r\n");
    // The handle still holds its element, subtree and all, outside the tree.
    EXPECT_EQ(a.nodeName(), "A");
    EXPECT_EQ(a.text(), "13");
    root.appendChild(a);
    EXPECT_EQ(doc.xml(), "<R><B>x</B><A>1<C>3</C></A></R>\r\n");
}

// The file is what a string list holding the xml text saves: the same bytes
// made without the text and the list in between.
TEST(DOMDocument, TheFileTextIsTheStringListsFileOfTheXmlText) {
    DOMDocument doc;
    DOMElement root = doc.appendChild(doc.createElement("菜单"));
    AddChildElement(root, "Lines", "a\r\nb\rc\nd\r\re\n\nf\r");
    AddChildElement(root, "Marks", "&<>\"' \t");
    AddChildElement(root, "Outside", "€ 😀 ♥ 鱼香肉丝");
    DOMElement e = AddChildElement(root, "E", "");
    e.setAttribute("V", Variant(std::string("x\r\ny\nz\r")));
    e.setAttribute("名", Variant("值&\"<>"));
    AddChildElement(e, "Last", "\n");
    const test::TempDir temp("xmlfile");
    for (TEncoding encoding : {TEncoding::GBK, TEncoding::UTF8}) {
        TStringList lines;
        lines.SetText(doc.xml());
        lines.SaveToFile(temp.path() + "list.xml", encoding);
        doc.save(temp.path() + "doc.xml", encoding);
        EXPECT_EQ(doc.fileText(encoding), ReadFileBytes(temp.path() + "list.xml"));
        EXPECT_EQ(ReadFileBytes(temp.path() + "doc.xml"), ReadFileBytes(temp.path() + "list.xml"));
    }
    // Parsed documents too: declarations, comments and text between elements.
    ASSERT_TRUE(doc.loadXML("<?xml version=\"1.0\"?><!--a\nb--><r>x<b>y</b>z\r\n<![CDATA[c\rd]]></r>"));
    TStringList lines;
    lines.SetText(doc.xml());
    lines.SaveToFile(temp.path() + "list.xml", TEncoding::GBK);
    EXPECT_EQ(doc.fileText(TEncoding::GBK), ReadFileBytes(temp.path() + "list.xml"));
    ASSERT_TRUE(doc.loadXML(""));
    EXPECT_EQ(doc.fileText(TEncoding::GBK), "");
}
