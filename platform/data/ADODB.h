// TADOConnection and TADOQuery: the connection to the product database and
// the query that reads it, in the shape of the class library's ADO
// components. The engine behind a connection is chosen from its Data Source
// (Engine.h). A query reads its whole result when it opens, so RecordCount
// is known at once and the records can be walked again.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/StringList.h"
#include "data/DataSet.h"
#include "data/Engine.h"

namespace menvaro {

class TADOQuery;

class TADOConnection {
public:
    TADOConnection();
    virtual ~TADOConnection();
    TADOConnection(const TADOConnection&) = delete;
    TADOConnection& operator=(const TADOConnection&) = delete;

    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

    const std::string& ConnectionString() const { return connectionString_; }
    // Raises EDatabaseError while connected (close first).
    void SetConnectionString(const std::string& value);
    // Kept for the form resources; this layer shows no login dialog, so the
    // connection always uses the credentials of its connection string.
    bool LoginPrompt() const { return loginPrompt_; }
    void SetLoginPrompt(bool value) { loginPrompt_ = value; }

    bool Connected() const { return engine_ != nullptr; }
    void SetConnected(bool value);
    // Parses the connection string and connects; raises EDatabaseError or
    // EADOError (the engine's message) and stays closed on failure. Opening
    // an open connection does nothing.
    void Open();
    // Closes the queries on this connection, then the connection.
    void Close();

    // The open engine; raises EDatabaseError when not connected.
    IDbConnection& Engine() const;

private:
    friend class TADOQuery;
    void AttachQuery(TADOQuery* q);
    void DetachQuery(TADOQuery* q);

    std::string name_;
    std::string connectionString_;
    bool loginPrompt_ = true;
    std::unique_ptr<IDbConnection> engine_;
    std::vector<TADOQuery*> queries_;
};

class TADOQuery : public TDataSet {
public:
    TADOQuery();
    ~TADOQuery() override;

    TADOConnection* Connection() const { return connection_; }
    // Closes the query when the connection changes.
    void SetConnection(TADOConnection* value);

    // The statement; changing the text closes an open query.
    TStrings& SQL() { return sql_; }
    const TStrings& SQL() const { return sql_; }
    void SetSQL(const TStrings& value) { sql_.Assign(value); }

    // Query results are read-only here.
    bool CanModify() const override { return false; }

protected:
    // Connects the connection when needed, runs the SQL text and reads the result.
    void InternalOpen() override;

private:
    friend class TADOConnection;
    TADOConnection* connection_ = nullptr;
    TStringList sql_;
};

}  // namespace menvaro
