// The updater's data module: the connection to the product database, one
// reusable query, the DOM document and the exporters that write the
// handheld's XML data files into the output folder.
#pragma once

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/StringList.h"
#include "classes/DataModule.h"
#include "data/ADODB.h"
#include "dbadmin/ProductStatements.h"
#include "xml/DOMDocument.h"

namespace pelgrane {

using namespace menvaro;

class TDM : public TDataModule {
    MENVARO_CLASS(TDM, TDataModule)
public:
    explicit TDM(TComponent* owner);

    // Components of the form resource.
    TADOConnection* adoCon = nullptr;
    TADOQuery* qryPublic = nullptr;

    // The folder that receives the files (ends in the path delimiter).
    std::string OutputFolder;
    std::unique_ptr<DOMDocument> XmlDoc;
    // Dish-project identifiers collected by ExportProjects, in query order.
    std::unique_ptr<TStringList> ProjectIds;
    // Set when ExportAll caught an exception; FailReason is its message.
    bool Failed = false;
    std::string FailReason;
    // Names of the files whose query returned no rows in the last build.
    std::unique_ptr<TStringList> EmptyFiles;
    // Names of the files the last build wrote, in the order written.
    std::unique_ptr<TStringList> WrittenFiles;

    void DataModuleCreate(TObject* Sender);
    void DataModuleDestroy(TObject* Sender);

    // Opens the database with `ConnStr` (a failure raises) and runs the
    // exporters under the busy window. False when an exporter failed or the
    // busy window could not be shown.
    bool BuildData(const std::string& ConnStr, const std::string& Folder);
    // The job of the busy window: the 23 exporters in their fixed order; the
    // first exception stops the series and sets Failed.
    void ExportAll(TObject* Sender);

    void ExportProjects();
    void ExportServerSocket();
    void ExportAreas();
    void ExportRooms();
    void ExportDishes();
    void ExportUrgentDishes();
    void ExportLimitDishes();
    void ExportMakeModes();
    void ExportDishMakeModes();
    void ExportCatsups();
    void ExportDishCatsups();
    void ExportRequests();
    void ExportDishRequests();
    void ExportMaterials();
    void ExportPingUnits();
    void ExportZuoFa();
    void ExportGuqingDishes();
    void ExportOptionalDishes();
    void ExportSnacks();
    void ExportCallTypes();
    void ExportWeightDishes();
    void ExportProdPositions();
    void ExportMachineNames();

private:
    // Runs `sql` in qryPublic; false (and the name noted as empty) when it
    // returns no rows.
    bool OpenQuery(const std::string& sql, const std::string& fileName);
    // Clears the document and gives it a new root.
    DOMElement NewDocument(const char* root);
    // Saves the document's text as OutputFolder + fileName, GBK, by a
    // temporary file and rename, and clears the document. The file is put
    // in place by the next save or by FinishSaving: meanwhile the disk
    // writes it while the next document is built.
    void SaveDocument(const std::string& fileName);
    void FinishSaving();
    // The text of the current row's field, valid until the field is read
    // again; each name is looked up once a query.
    const std::string& Value(const char* field);
    // Per project: the statement with each project's identifier.
    void ExportPerProject(const char* prefix, const dbadmin::TProductStatement& statement,
                          void (TDM::*rows)(DOMElement& root), const char* root);
    // Flat files: prefix + n with a text and attributes, one a row.
    void ExportFlat(const char* fileName, const std::string& sql, const char* root, const char* prefix,
                    const char* textField, std::initializer_list<std::pair<const char*, const char*>> attributes);
    // Files grouped on one key: a group element with an attribute, numbered
    // rows inside it.
    void ExportGroupedOnDish(const char* fileName, const std::string& sql, const char* root, const char* rowPrefix,
                             const char* textField, const char* attrName, const char* attrField);
    void DishRows(DOMElement& root);        // dish + project
    void DishLayoutRows(DOMElement& root);  // urgent, limit, sold-out, optional

    // The fields Value found in the open query, by the name texts asked for,
    // each with the text it read last (held apart: adding one moves no other).
    struct FieldText {
        const char* name;
        TField* field;
        std::string text;
    };
    std::vector<std::unique_ptr<FieldText>> fieldsByName_;
    // The file saved last, not yet in place, and its name.
    std::optional<TFileReplacement> pendingFile_;
    std::string pendingName_;
};

extern TDM* DM;

// Creates an element named `Name` in the document of `Parent`, sets its text
// (an empty text too) and appends it to `Parent`.
void AddChildElement(const DOMElement& Parent, const std::string& Name, const std::string& Text, DOMElement& Child);

// The PC's IPv4 address in dotted form, as the handheld should reach the
// server: every address the host name resolves to, in turn, the last one
// winning; where those are all loopback addresses, the machine's
// non-loopback IPv4 interface addresses instead. Empty when none is found.
void GetLocalIPAddress(std::string& Address);

// Whether `id` can be part of a file name here and on the handheld.
bool IsSafeProjectId(const std::string& id);
// `id` for a statement between single quotes: quotes doubled.
std::string QuotedSqlText(const std::string& id);

// Grouping of rows on nested keys: a level opens a new element when its own
// key or the key of any level outside it differs from the previous row's;
// the first row opens every level.
class TGroupKeys {
public:
    explicit TGroupKeys(std::size_t levels) : previous_(levels) {}
    // The outermost level that opens a new element for this row's keys,
    // outermost first (the number of levels when none does).
    std::size_t FirstOpened(std::initializer_list<std::string_view> keys);

private:
    bool first_ = true;
    std::vector<std::string> previous_;
};

}  // namespace pelgrane
