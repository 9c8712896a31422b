#include "data/ADODB.h"

#include <algorithm>

#include "classes/ClassBuilder.h"
#include "data/DBErrors.h"
#include "data/MemoryDataSet.h"

namespace menvaro {

MENVARO_CLASS_INFO(TADOConnection) {
    c.Prop("ConnectionString", &TADOConnection::ConnectionString, &TADOConnection::SetConnectionString);
    c.Prop("LoginPrompt", &TADOConnection::LoginPrompt, &TADOConnection::SetLoginPrompt).Default(true);
    c.Prop("Connected", &TADOConnection::Connected, &TADOConnection::SetConnected).Default(false);
}

MENVARO_CLASS_INFO(TADOQuery) {
    c.Prop("Connection", &TADOQuery::Connection, &TADOQuery::SetConnection);
    c.Prop("SQL", &TADOQuery::SQL);
}

TADOConnection::TADOConnection(TComponent* owner) : TComponent(owner) {}

TADOConnection::~TADOConnection() {
    // Every query heard of the removal in BeforeDestruction; this is the
    // safety net for one that did not.
    for (TADOQuery* q : queries_) q->connection_ = nullptr;
}

void TADOConnection::BeforeDestruction() {
    Close();
    TComponent::BeforeDestruction();
}

void TADOConnection::Loaded() {
    TComponent::Loaded();
    if (streamedConnected_) {
        streamedConnected_ = false;
        Open();
    }
}

void TADOConnection::SetConnectionString(const std::string& value) {
    if (value == connectionString_) return;
    if (Connected()) DatabaseError("Cannot change the connection string of an open connection", Name());
    connectionString_ = value;
}

void TADOConnection::SetConnected(bool value) {
    if (ComponentState().Contains(csLoading)) {
        streamedConnected_ = value;
        return;
    }
    if (value)
        Open();
    else
        Close();
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
    if (!engine_) DatabaseError("Connection is not open", Name());
    return *engine_;
}

void TADOConnection::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove) DetachQuery(dynamic_cast<TADOQuery*>(component));
}

void TADOConnection::AttachQuery(TADOQuery* q) {
    if (std::find(queries_.begin(), queries_.end(), q) == queries_.end()) queries_.push_back(q);
}

void TADOConnection::DetachQuery(TADOQuery* q) {
    queries_.erase(std::remove(queries_.begin(), queries_.end(), q), queries_.end());
}

TADOQuery::TADOQuery(TComponent* owner) : TDataSet(owner), sql_(std::make_unique<TStringList>()) {
    sql_->OnChange = [this](TStringList&) { Close(); };
}

TADOQuery::~TADOQuery() {
    if (connection_) connection_->DetachQuery(this);
}

void TADOQuery::SetConnection(TADOConnection* value) {
    if (value == connection_) return;
    Close();
    if (connection_) {
        connection_->DetachQuery(this);
        connection_->RemoveFreeNotification(this);
    }
    connection_ = value;
    if (connection_) {
        connection_->AttachQuery(this);
        connection_->FreeNotification(this);
    }
}

void TADOQuery::Notification(TComponent* component, TOperation operation) {
    TDataSet::Notification(component, operation);
    if (operation == opRemove && component && component == connection_) SetConnection(nullptr);
}

void TADOQuery::InternalOpen() {
    if (!connection_) Error("Missing Connection or ConnectionString");
    connection_->Open();
    std::vector<TFieldDef> columns = connection_->Engine().Query(sql_->Text(), Records());
    FieldDefs().Clear();
    for (TFieldDef& d : columns) FieldDefs().Add(std::move(d.Name), d.DataType, d.Size, d.Precision);
}

}  // namespace menvaro
