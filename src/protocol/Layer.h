#pragma once

#include "system/ResultCode.h"
#include "system/Task.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace Protocol {

class Connection;

// One protocol of a stack (TCP, RFC 1006, transport, ...): the factory and owner of
// that protocol's connections, one per association.
class Layer : public System::Task {
public:
    // name: a constant text that outlives the layer, e.g. "Itot". osiLevel decides
    // which share of a chain text the layer's connections take.
    Layer(const char* name, std::int32_t osiLevel);
    // Deletes every connection the layer still owns.
    ~Layer() override;

    // The layer's connection that has this one below it, else null.
    virtual Connection* FindConnectionByLower(Connection* lower);
    // A new connection of this layer (not yet owned: BuildConnectionChain files it).
    virtual Connection* CreateConnection() = 0;

    // The next id not held by one of the layer's connections; the counter always
    // moves forward and never hands out 0. The first id is 1.
    std::uint16_t NextConnectionId();
    // Erases the connection from the layer's connections and deletes it; a
    // connection the layer does not own is left alone.
    void RemoveConnection(Connection* connection);
    // Erases the connection from the layer's connections without deleting it:
    // true when it was there.
    bool TakeConnection(Connection* connection);
    // Creates this layer's connection and, recursively, the chain below it, each
    // with its share of the "/"-separated chain text (null: every share empty).
    // The shares are counted from the end: a layer takes field (OSI level - 2).
    Connection* BuildConnectionChain(const char* chainText);

    const char* GetName() const { return name_; }
    std::int32_t GetOsiLevel() const { return osiLevel_; }
    Layer* GetLowerLayer() const { return lowerLayer_; }
    Layer* GetUpperLayer() const { return upperLayer_; }
    void SetLowerLayer(Layer* layer) { lowerLayer_ = layer; }
    void SetUpperLayer(Layer* layer) { upperLayer_ = layer; }
    std::size_t GetConnectionCount() const;

protected:
    // Deletes every owned connection now. A subclass whose connections reach back
    // into it while they are destroyed calls this in its own destructor.
    void DeleteConnections();

private:
    bool IdInUseLocked(std::uint16_t id) const;

    const char* const name_;
    const std::int32_t osiLevel_;
    std::uint16_t idCounter_ = 0;
    Layer* lowerLayer_ = nullptr;
    Layer* upperLayer_ = nullptr;
    mutable std::mutex connectionsMutex_;
    std::vector<Connection*> connections_;
};

}  // namespace Protocol
