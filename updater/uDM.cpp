#include "uDM.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <unistd.h>

#include <vector>

#include "base/Files.h"
#include "base/ScopeGuard.h"
#include "base/Strings.h"
#include "classes/ClassBuilder.h"
#include "data/FieldConvert.h"
#include "dbadmin/ProductStatements.h"
#include "untProgressBar.h"

namespace pelgrane {

namespace product = dbadmin::product;

TDM* DM = nullptr;

MENVARO_CLASS_INFO(TDM){MENVARO_PUBLISHED_FIELDS(adoCon, qryPublic)
                            MENVARO_PUBLISHED_METHODS(DataModuleCreate, DataModuleDestroy)}

TDM::TDM(TComponent* owner)
    : TDataModule(owner) {}

void TDM::DataModuleCreate(TObject*) {
    XmlDoc = std::make_unique<DOMDocument>();
    ProjectIds = std::make_unique<TStringList>();
    EmptyFiles = std::make_unique<TStringList>();
    WrittenFiles = std::make_unique<TStringList>();
}

void TDM::DataModuleDestroy(TObject*) {
    if (ProjectIds) ProjectIds->Clear();
    ProjectIds.reset();
    XmlDoc.reset();
    if (EmptyFiles) EmptyFiles->Clear();
    EmptyFiles.reset();
    WrittenFiles.reset();
}

bool TDM::BuildData(const std::string& ConnStr, const std::string& Folder) {
    ScopeGuard hide([] { HideProgress(); });
    EmptyFiles->Clear();
    WrittenFiles->Clear();
    OutputFolder = Folder;
    adoCon->Close();
    adoCon->SetConnectionString(ConnStr);
    adoCon->Open();
    // Without the busy window nothing is exported: that is no success.
    if (!ShowProgress()) return false;
    SetProgressCaption("正在生成资料,请稍候....");
    RunWithProgress(TNotifyEvent::Bind<&TDM::ExportAll>(this));
    return !Failed;
}

void TDM::ExportAll(TObject*) {
    Failed = false;
    FailReason.clear();
    EmptyFiles->Clear();
    WrittenFiles->Clear();
    ProjectIds->Clear();
    try {
        ExportProjects();
        ExportServerSocket();
        ExportAreas();
        ExportRooms();
        ExportDishes();
        ExportUrgentDishes();
        ExportLimitDishes();
        ExportMakeModes();
        ExportDishMakeModes();
        ExportCatsups();
        ExportDishCatsups();
        ExportRequests();
        ExportDishRequests();
        ExportMaterials();
        ExportPingUnits();
        ExportZuoFa();
        ExportGuqingDishes();
        ExportOptionalDishes();
        ExportSnacks();
        ExportCallTypes();
        ExportWeightDishes();
        ExportProdPositions();
        ExportMachineNames();
        FinishSaving();
    } catch (const std::exception& e) {
        Failed = true;
        FailReason = e.what();
        // The files written before the failure stay.
        try {
            FinishSaving();
        } catch (const std::exception&) {
        }
    }
}

// ---- the common pattern ----

bool TDM::OpenQuery(const std::string& sql, const std::string& fileName) {
    fieldsByName_.clear();
    qryPublic->Close();
    qryPublic->SQL()->SetText(sql);
    qryPublic->Open();
    if (qryPublic->RecordCount() != 0) return true;
    // No file; an older file of that name stays where it is.
    EmptyFiles->Add(fileName);
    return false;
}

DOMElement TDM::NewDocument(const char* root) {
    XmlDoc->loadXML("");
    return XmlDoc->appendChild(XmlDoc->createElement(root));
}

void TDM::SaveDocument(const std::string& fileName) {
    FinishSaving();
    // The bytes a string list of the xml text would save, made straight
    // from the tree; the document's memory goes once its file is written.
    pendingFile_.emplace(XmlDoc->startSave(OutputFolder + fileName, TEncoding::GBK));
    pendingName_ = fileName;
    XmlDoc->loadXML("");
}

void TDM::FinishSaving() {
    if (!pendingFile_) return;
    // Gone before the commit, so that a failing commit is not tried twice.
    TFileReplacement file = std::move(*pendingFile_);
    pendingFile_.reset();
    file.Commit();
    WrittenFiles->Add(pendingName_);
}

const std::string& TDM::Value(const char* field) {
    // The exporters name their fields by literals: the same pointer is the same name.
    FieldText* f = nullptr;
    for (const auto& known : fieldsByName_)
        if (known->name == field) {
            f = known.get();
            break;
        }
    if (!f)
        f = fieldsByName_.emplace_back(std::make_unique<FieldText>(FieldText{field, &qryPublic->FieldByName(field), {}}))
                .get();
    // The field's AsString, in the string this field had before.
    AssignValueString(f->text, qryPublic->CurrentValue(f->field->Index()), f->field->DataType());
    return f->text;
}

namespace {

std::string Numbered(const char* prefix, int n) { return prefix + std::to_string(n); }

DOMElement Child(const DOMElement& parent, const std::string& name, const std::string& text = std::string()) {
    DOMElement e;
    AddChildElement(parent, name, text, e);
    return e;
}

}  // namespace

void TDM::ExportFlat(const char* fileName, const std::string& sql, const char* root, const char* prefix,
                     const char* textField, std::initializer_list<std::pair<const char*, const char*>> attributes) {
    if (!OpenQuery(sql, fileName)) return;
    DOMElement top = NewDocument(root);
    int n = 0;
    for (qryPublic->First(); !qryPublic->Eof(); qryPublic->Next()) {
        DOMElement e = Child(top, Numbered(prefix, ++n), Value(textField));
        for (const auto& [name, field] : attributes) e.setAttribute(name, Value(field));
    }
    SaveDocument(fileName);
}

void TDM::ExportGroupedOnDish(const char* fileName, const std::string& sql, const char* root, const char* rowPrefix,
                              const char* textField, const char* attrName, const char* attrField) {
    if (!OpenQuery(sql, fileName)) return;
    DOMElement top = NewDocument(root);
    TGroupKeys keys(1);
    DOMElement group;
    int n = 0;
    for (qryPublic->First(); !qryPublic->Eof(); qryPublic->Next()) {
        const std::string dish = Value("DishNo");
        if (keys.FirstOpened({dish}) == 0) {
            group = Child(top, "DishNo");
            group.setAttribute("DishNo", dish);
            n = 0;
        }
        Child(group, Numbered(rowPrefix, ++n), Value(textField)).setAttribute(attrName, Value(attrField));
    }
    SaveDocument(fileName);
}

void TDM::ExportPerProject(const char* prefix, const dbadmin::TProductStatement& statement,
                           void (TDM::*rows)(DOMElement& root), const char* root) {
    for (const std::string& project : *ProjectIds) {
        const std::string fileName = prefix + project + ".xml";
        if (!OpenQuery(statement.For(QuotedSqlText(project)), fileName)) continue;
        DOMElement top = NewDocument(root);
        (this->*rows)(top);
        SaveDocument(fileName);
    }
}

// The dish layout of the urgent, limit, sold-out and optional files.
void TDM::DishLayoutRows(DOMElement& root) {
    TGroupKeys keys(1);
    DOMElement units;
    for (qryPublic->First(); !qryPublic->Eof(); qryPublic->Next()) {
        const std::string dish = Value("DishNo");
        if (keys.FirstOpened({dish}) == 0) {
            DOMElement d = Child(root, "Dish");
            d.setAttribute("DishNo", dish);
            Child(d, "DishNo", dish);
            Child(d, "CustomNo", Value("CustomDishNo"));
            Child(d, "DishName", Value("DishName"));
            Child(d, "DishSpell", Value("DishSpell"));
            units = Child(d, "DishUnit");
        }
        Child(units, "DishUnitName", Value("DishUnit"));
    }
}

void TDM::DishRows(DOMElement& root) {
    TGroupKeys keys(3);
    DOMElement prodType, cate, units;
    for (qryPublic->First(); !qryPublic->Eof(); qryPublic->Next()) {
        const std::string typeNo = Value("ProdTypeNo"), cateNo = Value("CateNo"), dishNo = Value("DishNo");
        const std::size_t opened = keys.FirstOpened({typeNo, cateNo, dishNo});
        if (opened <= 0) {
            prodType = Child(root, "ProdType");
            prodType.setAttribute("ProdTypeNo", typeNo);
            Child(prodType, "ProdTypeName", Value("ProdTypeName"));
        }
        if (opened <= 1) {
            cate = Child(prodType, "Cate");
            cate.setAttribute("CateaNo", cateNo);
            Child(cate, "CateName", Value("CateName"));
        }
        if (opened <= 2) {
            DOMElement d = Child(cate, "Dish");
            d.setAttribute("DishNo", dishNo);
            Child(d, "DishNo", dishNo);
            Child(d, "CustomNo", Value("CustomDishNo"));
            Child(d, "DishName", Value("DishName"));
            Child(d, "DishSpell", Value("dishSpell"));
            units = Child(d, "DishUnit");
        }
        Child(units, "DishUnitName", Value("DishUnit"));
    }
}

// ---- the 23 exporters ----

void TDM::ExportProjects() {
    const char* fileName = "piddata.xml";
    DOMElement top = NewDocument("PidData");
    if (!OpenQuery(std::string(product::Projects.Sql), fileName)) return;
    int n = 0;
    for (qryPublic->First(); !qryPublic->Eof(); qryPublic->Next()) {
        const std::string id = Value("ProjectID");
        // The identifier becomes part of file names here and on the handheld.
        if (!IsSafeProjectId(id)) throw EConvertError("菜谱项目编号 \"" + id + "\" 不能用作文件名");
        // The handheld's folder does not tell letter case apart: "dishaa.xml"
        // and "dishAA.xml" would be one file there.
        for (const std::string& other : *ProjectIds)
            if (SameText(other, id))
                throw EConvertError("菜谱项目编号 \"" + other + "\" 和 \"" + id + "\" 只有大小写不同,在PDA上是同一个文件名");
        Child(top, Numbered("P", ++n), Value("ProjectName")).setAttribute("No", id);
        ProjectIds->Add(id);
    }
    SaveDocument(fileName);
}

void TDM::ExportServerSocket() {
    std::string address;
    GetLocalIPAddress(address);
    if (address.empty()) return;
    DOMElement top = NewDocument("Server");
    Child(top, "name", address);
    Child(top, "port", "5001");
    SaveDocument("sock.xml");
}

void TDM::ExportAreas() {
    const char* fileName = "area.xml";
    DOMElement top = NewDocument("Area");
    if (!OpenQuery(std::string(product::Areas.Sql), fileName)) return;
    int n = 0;
    for (qryPublic->First(); !qryPublic->Eof(); qryPublic->Next()) {
        DOMElement a = Child(top, Numbered("A", ++n));
        a.setAttribute("No", Value("AreaNo"));
        Child(a, "Name", Value("AreaName"));
        Child(a, "Pid", Value("ProjectID"));
    }
    SaveDocument(fileName);
}

void TDM::ExportRooms() {
    const char* fileName = "room.xml";
    DOMElement top = NewDocument("RoomUpdate");
    if (!OpenQuery(std::string(product::Rooms.Sql), fileName)) return;
    TGroupKeys keys(1);
    DOMElement area;
    for (qryPublic->First(); !qryPublic->Eof(); qryPublic->Next()) {
        const std::string areaNo = Value("AreaNo");
        if (keys.FirstOpened({areaNo}) == 0) {
            area = Child(top, "Area");
            Child(area, "ANo", areaNo);
            Child(area, "APid", Value("ProjectID"));
            Child(area, "AName", Value("AreaName"));
        }
        DOMElement room = Child(area, "Room");
        Child(room, "RNo", Value("RoomNo"));
        Child(room, "RName", Value("RoomName"));
    }
    SaveDocument(fileName);
}

void TDM::ExportDishes() { ExportPerProject("dish", product::Dishes, &TDM::DishRows, "CateDish"); }

void TDM::ExportUrgentDishes() {
    ExportPerProject("urgentdish", product::UrgentDishes, &TDM::DishLayoutRows, "UrgentDish");
}

void TDM::ExportLimitDishes() { ExportPerProject("limitdish", product::LimitDishes, &TDM::DishLayoutRows, "LimitDish"); }

// The "select *" statements give the columns the shared list names.
void TDM::ExportMakeModes() {
    const dbadmin::TProductStatement& s = product::MakeModes;
    ExportFlat("makemode.xml", std::string(s.Sql), "MakeMode", "M", s.Columns[0], {{"MakeModeNo", s.Columns[1]}});
}

void TDM::ExportDishMakeModes() {
    ExportGroupedOnDish("dishmakemode.xml", std::string(product::DishMakeModes.Sql), "MakeMode", "M", "MakeModeName",
                        "MakeModeNo", "MakeModeNo");
}

void TDM::ExportCatsups() {
    const dbadmin::TProductStatement& s = product::Catsups;
    ExportFlat("catsup.xml", std::string(s.Sql), "CatsUp", "C", s.Columns[0], {{"CatsUpNo", s.Columns[1]}});
}

void TDM::ExportDishCatsups() {
    ExportGroupedOnDish("dishcatsup.xml", std::string(product::DishCatsups.Sql), "DishCatsUp", "C", "CatsupName",
                        "CatsUpNo", "CatsupNo");
}

void TDM::ExportRequests() {
    const dbadmin::TProductStatement& s = product::Requests;
    ExportFlat("request.xml", std::string(s.Sql), "Request", "C", s.Columns[0], {{"RequestNo", s.Columns[1]}});
}

void TDM::ExportDishRequests() {
    ExportGroupedOnDish("dishrequest.xml", std::string(product::DishRequests.Sql), "DishRequest", "R", "RequestName",
                        "RequestNo", "RequestNo");
}

void TDM::ExportMaterials() {
    const char* fileName = "material.xml";
    if (!OpenQuery(std::string(product::Materials.Sql), fileName)) return;
    DOMElement top = NewDocument("Material");
    TGroupKeys keys(1);
    DOMElement group;
    int n = 0;
    for (qryPublic->First(); !qryPublic->Eof(); qryPublic->Next()) {
        const std::string type = Value("MTNo");
        if (keys.FirstOpened({type}) == 0) {
            group = Child(top, "MM");
            Child(group, "NName", Value("MTName")).setAttribute("No", type);
            n = 0;
        }
        Child(group, Numbered("D", ++n), Value("MDName")).setAttribute("No", Value("MDNo"));
    }
    SaveDocument(fileName);
}

void TDM::ExportPingUnits() {
    ExportFlat("pingunit.xml", std::string(product::PingUnits.Sql), "PingUnit", "P", "PCUnitName", {});
}

void TDM::ExportZuoFa() {
    ExportFlat("zuofa.xml", std::string(product::ZuoFa.Sql), "ZuoFa", "F", "FName",
               {{"No", "FNo"}, {"OName", "OName"}});
}

void TDM::ExportGuqingDishes() {
    ExportPerProject("guqingdish", product::GuqingDishes, &TDM::DishLayoutRows, "GuqingDish");
}

void TDM::ExportOptionalDishes() {
    ExportPerProject("optionaldish", product::OptionalDishes, &TDM::DishLayoutRows, "OptionalDish");
}

void TDM::ExportSnacks() {
    const char* fileName = "snackdish.xml";
    // The set meals are optional: a database without their tables, or any
    // other failure while reading them, writes no file and fails nothing.
    try {
        if (!OpenQuery(std::string(product::Snacks.Sql), fileName)) return;
        DOMElement top = NewDocument("SnackDish");
        TGroupKeys keys(3);
        DOMElement snack, item;
        for (qryPublic->First(); !qryPublic->Eof(); qryPublic->Next()) {
            const std::string no1 = Value("SnackNo1"), no2 = Value("SnackNo2"), no3 = Value("SnackNo3");
            const std::size_t opened = keys.FirstOpened({no1, no2, no3});
            if (opened <= 0) {
                snack = Child(top, "Snack");
                Child(snack, "No", no1);
                Child(snack, "Name", Value("SnackName1"));
                Child(snack, "Sum", Value("SumMoney1"));
            }
            if (opened <= 1) {
                item = Child(snack, "Item");
                Child(item, "No", no2);
                Child(item, "Name", Value("SnackName2"));
                Child(item, "Sum", Value("SumMoney2"));
            }
            if (opened <= 2) {
                DOMElement dish = Child(item, "Dish");
                Child(dish, "No", no3);
                Child(dish, "Name", Value("SnackName3"));
                Child(dish, "price", Value("SnackPrice3"));
                Child(dish, "Unit", Value("SnackUnit3"));
                Child(dish, "Count", Value("SnackCount3"));
            }
        }
    } catch (const std::exception&) {
        return;
    }
    SaveDocument(fileName);
}

void TDM::ExportCallTypes() {
    ExportFlat("calltype.xml", std::string(product::CallTypes.Sql), "CallType", "C", "CallDishType", {});
}

void TDM::ExportWeightDishes() {
    const char* fileName = "weightdish.xml";
    if (!OpenQuery(std::string(product::WeightDishes.Sql), fileName)) return;
    DOMElement top = NewDocument("WeightDish");
    int n = 0;
    for (qryPublic->First(); !qryPublic->Eof(); qryPublic->Next())
        Child(top, Numbered("WD", ++n), Value("DishName") + "(" + Value("DishUnit") + ")");
    SaveDocument(fileName);
}

void TDM::ExportProdPositions() {
    ExportFlat("prodposi.xml", std::string(product::ProdPositions.Sql), "ProdPosi", "C", "PositionName", {});
}

void TDM::ExportMachineNames() {
    ExportFlat("MachineNameList.xml", std::string(product::MachineNames.Sql),
               "MachineNameList", "M", "MacAliasName", {{"No", "IPAddress"}});
}

// ---- helpers ----

void AddChildElement(const DOMElement& Parent, const std::string& Name, const std::string& Text, DOMElement& Child) {
    DOMElement parent = Parent;  // a handle: the copy is the same element
    DOMElement e = parent.ownerDocument().createElement(Name);
    e.setText(Text);
    Child = parent.appendChild(e);
}

bool IsSafeProjectId(const std::string& id) {
    // A char column pads an empty identifier with blanks.
    if (Trim(id).empty() || id == "." || id == "..") return false;
    for (char c : id)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F ||
            std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos)
            return false;
    return true;
}

std::string QuotedSqlText(const std::string& id) { return ReplaceAll(id, "'", "''"); }

std::size_t TGroupKeys::FirstOpened(std::initializer_list<std::string_view> keys) {
    std::size_t opened = first_ ? 0 : previous_.size();
    std::size_t level = 0;
    for (std::string_view key : keys) {
        if (level >= previous_.size()) break;
        if (opened == previous_.size() && previous_[level] != key) opened = level;
        previous_[level++].assign(key);
    }
    first_ = false;
    return opened;
}

namespace {

bool IsLoopback(const in_addr& a) { return (ntohl(a.s_addr) >> 24) == 127; }

std::string Dotted(const in_addr& a) {
    char buf[INET_ADDRSTRLEN] = {};
    return inet_ntop(AF_INET, &a, buf, sizeof buf) ? std::string(buf) : std::string();
}

std::vector<in_addr> HostAddresses() {
    std::vector<in_addr> found;
    char host[64] = {};
    if (gethostname(host, sizeof host - 1) != 0) return found;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &list) != 0) return found;
    for (addrinfo* p = list; p; p = p->ai_next) found.push_back(reinterpret_cast<sockaddr_in*>(p->ai_addr)->sin_addr);
    freeaddrinfo(list);
    return found;
}

std::vector<in_addr> InterfaceAddresses() {
    std::vector<in_addr> found;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return found;
    for (ifaddrs* p = list; p; p = p->ifa_next) {
        if (!p->ifa_addr || p->ifa_addr->sa_family != AF_INET || !(p->ifa_flags & IFF_UP)) continue;
        const in_addr a = reinterpret_cast<sockaddr_in*>(p->ifa_addr)->sin_addr;
        if (!IsLoopback(a)) found.push_back(a);
    }
    freeifaddrs(list);
    return found;
}

}  // namespace

void GetLocalIPAddress(std::string& Address) {
    Address.clear();
    std::vector<in_addr> addresses = HostAddresses();
    bool onlyLoopback = true;
    for (const in_addr& a : addresses) onlyLoopback = onlyLoopback && IsLoopback(a);
    // Many Linux machines resolve their own name to 127.0.1.1: a handheld
    // cannot reach that.
    if (onlyLoopback) addresses = InterfaceAddresses();
    for (const in_addr& a : addresses) Address = Dotted(a);
}

}  // namespace pelgrane
