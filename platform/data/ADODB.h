// TADOConnection and TADOQuery: the connection to the product database and
// the query that reads it, components in the shape of the class library's
// ADO components, so that a data module's form resource creates them
// ("object adoCon: TADOConnection", "object qryPublic: TADOQuery"). The
// engine behind a connection is chosen from its Data Source (Engine.h). A
// query reads its whole result when it opens, so RecordCount is known at
// once and the records can be walked again.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/StringList.h"
#include "data/DataSet.h"
#include "data/Engine.h"

namespace menvaro {

class TADOQuery;

class TADOConnection : public TComponent {
    MENVARO_CLASS(TADOConnection, TComponent)
public:
    explicit TADOConnection(TComponent* owner);
    ~TADOConnection() override;
    // Closes the queries on this connection, then the connection.
    void BeforeDestruction() override;
    // Connects when the form resource said "Connected = True".
    void Loaded() override;

    // Published: ConnectionString, LoginPrompt (default True), Connected.
    const std::string& ConnectionString() const { return connectionString_; }
    // Raises EDatabaseError while connected (close first).
    void SetConnectionString(const std::string& value);
    // This layer shows no login dialog: the connection always uses the
    // credentials of its connection string.
    bool LoginPrompt() const { return loginPrompt_; }
    void SetLoginPrompt(bool value) { loginPrompt_ = value; }
    bool Connected() const { return engine_ != nullptr; }
    // While a form resource is read, the value is kept for Loaded.
    void SetConnected(bool value);

    // Parses the connection string and connects; raises EDatabaseError or
    // EADOError (the engine's message) and stays closed on failure. Opening
    // an open connection does nothing.
    void Open();
    // Closes the queries on this connection, then the connection.
    void Close();

    // The open engine; raises EDatabaseError when not connected.
    IDbConnection& Engine() const;

protected:
    // Forgets a query that is freed.
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TADOQuery;
    void AttachQuery(TADOQuery* q);
    void DetachQuery(TADOQuery* q);

    std::string connectionString_;
    bool loginPrompt_ = true;
    bool streamedConnected_ = false;
    std::unique_ptr<IDbConnection> engine_;
    std::vector<TADOQuery*> queries_;
};

class TADOQuery : public TDataSet {
    MENVARO_CLASS(TADOQuery, TDataSet)
public:
    explicit TADOQuery(TComponent* owner);
    ~TADOQuery() override;

    // Published: Connection, SQL, Active.
    TADOConnection* Connection() const { return connection_; }
    // Closes the query when the connection changes.
    void SetConnection(TADOConnection* value);
    // The statement; changing the text closes an open query.
    TStringList* SQL() const { return sql_.get(); }

    // Query results are read-only here.
    bool CanModify() const override { return false; }

protected:
    // Connects the connection when needed, runs the SQL text and reads the result.
    void InternalOpen() override;
    // Forgets a connection that is freed.
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TADOConnection;
    TADOConnection* connection_ = nullptr;
    std::unique_ptr<TStringList> sql_;
};

}  // namespace menvaro
