#include "protocol/Layer.h"

#include "protocol/Connection.h"
#include "system/StringText.h"

#include <algorithm>
#include <string>

namespace Protocol {

Layer::Layer(const char* name, std::int32_t osiLevel) : name_(name), osiLevel_(osiLevel) {}

Layer::~Layer() { DeleteConnections(); }

void Layer::DeleteConnections() {
    std::vector<Connection*> owned;
    {
        std::lock_guard lock(connectionsMutex_);
        owned.swap(connections_);
    }
    for (Connection* connection : owned) delete connection;
}

Connection* Layer::FindConnectionByLower(Connection* lower) {
    std::lock_guard lock(connectionsMutex_);
    for (Connection* connection : connections_) {
        if (connection->GetLower() == lower) return connection;
    }
    return nullptr;
}

bool Layer::IdInUseLocked(std::uint16_t id) const {
    return std::any_of(connections_.begin(), connections_.end(),
                       [id](const Connection* c) { return c->GetId() == id; });
}

std::uint16_t Layer::NextConnectionId() {
    std::lock_guard lock(connectionsMutex_);
    // Bounded: with every id taken the counter comes round once and gives up.
    for (std::uint32_t tries = 0; tries < 0x10000; ++tries) {
        ++idCounter_;
        if (idCounter_ == 0) continue;
        if (!IdInUseLocked(idCounter_)) return idCounter_;
    }
    return 0;
}

bool Layer::TakeConnection(Connection* connection) {
    std::lock_guard lock(connectionsMutex_);
    const auto found = std::find(connections_.begin(), connections_.end(), connection);
    if (found == connections_.end()) return false;
    connections_.erase(found);
    return true;
}

void Layer::RemoveConnection(Connection* connection) {
    if (connection != nullptr && TakeConnection(connection)) delete connection;
}

std::size_t Layer::GetConnectionCount() const {
    std::lock_guard lock(connectionsMutex_);
    return connections_.size();
}

Connection* Layer::BuildConnectionChain(const char* chainText) {
    Connection* connection = CreateConnection();
    if (connection == nullptr) return nullptr;
    if (chainText != nullptr) {
        std::string share;
        System::GetFieldFromEnd(chainText, '/', osiLevel_ - 2, share);
        connection->SetParameterText(share);
    }
    {
        std::lock_guard lock(connectionsMutex_);
        connections_.push_back(connection);
    }
    if (lowerLayer_ != nullptr) {
        Connection* lower = lowerLayer_->BuildConnectionChain(chainText);
        if (lower != nullptr) {
            lower->SetUpper(connection);
            connection->SetLower(lower);
        }
    }
    return connection;
}

}  // namespace Protocol
