// Runs the updater's exporters against a SQLite product database.
#pragma once

#include <map>
#include <stdexcept>
#include <string>

#include "base/CodePage.h"
#include "base/Files.h"
#include "testsupport/SqliteFile.h"
#include "testsupport/TempDir.h"
#include "uDM.h"

namespace pelgrane::test {

using menvaro::test::TempDir;

inline std::string ConnectionTo(const std::string& folder) {
    return "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Initial Catalog=Velkoranth;Data Source=" +
           folder;
}

// Creates `folder`/Velkoranth.db and runs `sql` in it.
inline void MakeDatabase(const std::string& folder, const std::string& sql) {
    menvaro::test::MakeDatabase(folder + "Velkoranth.db", sql);
}

// The data module, its database connection and an output folder.
class Exporter {
public:
    Exporter() : dm_(menvaro::Create<TDM>(nullptr)) {}
    ~Exporter() { dm_->Free(); }
    TDM& dm() { return *dm_; }
    const std::string& out() const { return out_.path(); }

    // Opens the database in `folder` and runs every exporter.
    void Run(const std::string& folder) {
        dm_->OutputFolder = out_.path();
        dm_->adoCon->Close();
        dm_->adoCon->SetConnectionString(ConnectionTo(folder));
        dm_->adoCon->Open();
        dm_->ExportAll(nullptr);
    }

    // Every file written, by name, as UTF-8 text.
    std::map<std::string, std::string> Files() const {
        std::map<std::string, std::string> files;
        menvaro::TSearchRec rec;
        for (int r = menvaro::FindFirst(out_.path() + "*", 0, rec); r == 0; r = menvaro::FindNext(rec))
            files[rec.Name] = menvaro::GbkToUtf8(menvaro::ReadFileBytes(out_.path() + rec.Name));
        menvaro::FindClose(rec);
        return files;
    }

private:
    TempDir out_{"export"};
    TDM* dm_;
};

}  // namespace pelgrane::test
