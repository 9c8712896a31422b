#include "data/ADODB.h"

#include <algorithm>

#include "data/DBErrors.h"

namespace menvaro {

TADOConnection::TADOConnection() = default;

TADOConnection::~TADOConnection() {
    Close();
    for (TADOQuery* q : queries_) q->connection_ = nullptr;
}

void TADOConnection::SetConnectionString(const std::string& value) {
    if (value == connectionString_) return;
    if (Connected()) DatabaseError("Cannot change the connection string of an open connection", name_);
    connectionString_ = value;
}

void TADOConnection::SetConnected(bool value) {
    if (value) Open();
    else Close();
}

void TADOConnection::Open() {
    if (Connected()) return;
    const TConnectionParams params = ParseConnectionParams(connectionString_);
    engine_ = OpenDbConnection(params);
}

void TADOConnection::Close() {
    if (!Connected()) return;
    for (TADOQuery* q : std::vector<TADOQuery*>(queries_)) q->Close();
    engine_.reset();
}

IDbConnection& TADOConnection::Engine() const {
    if (!engine_) DatabaseError("Connection is not open", name_);
    return *engine_;
}

void TADOConnection::AttachQuery(TADOQuery* q) {
    if (std::find(queries_.begin(), queries_.end(), q) == queries_.end()) queries_.push_back(q);
}

void TADOConnection::DetachQuery(TADOQuery* q) {
    queries_.erase(std::remove(queries_.begin(), queries_.end(), q), queries_.end());
}

TADOQuery::TADOQuery() {
    sql_.OnChange = [this](TStringList&) { Close(); };
}

TADOQuery::~TADOQuery() {
    Close();
    if (connection_) connection_->DetachQuery(this);
}

void TADOQuery::SetConnection(TADOConnection* value) {
    if (value == connection_) return;
    Close();
    if (connection_) connection_->DetachQuery(this);
    connection_ = value;
    if (connection_) connection_->AttachQuery(this);
}

void TADOQuery::InternalOpen() {
    if (!connection_) Error("Missing Connection or ConnectionString");
    connection_->Open();
    std::vector<TFieldDef> columns = connection_->Engine().Query(sql_.Text(), Records());
    FieldDefs().Clear();
    for (TFieldDef& d : columns) FieldDefs().Add(std::move(d.Name), d.DataType, d.Size, d.Precision);
}

}  // namespace menvaro
