#pragma once

#include "protocol/Connection.h"
#include "protocol/Layer.h"

#include <string>
#include <vector>

namespace StackTest {

// What the doubles did, in order, as "<layer>#<id> <what>".
using CallLog = std::vector<std::string>;

// A connection that takes the one parameter "LocalTSelector" and logs its resets and
// its deletion.
class LoggingConnection : public Protocol::Connection {
public:
    LoggingConnection(Protocol::Layer* layer, CallLog* log) : Connection(layer), log_(log) {}
    ~LoggingConnection() override { Log("deleted"); }

    System::ResultCode SetParameter(std::string_view name, std::string_view value) override {
        if (name != "LocalTSelector") return System::NotSupported;
        selector = value;
        return System::OkNoError;
    }
    System::ResultCode GetParameter(std::string_view name, std::string& value) override {
        if (name != "LocalTSelector") return System::NotSupported;
        value = selector;
        return System::OkNoError;
    }
    System::ResultCode Reset() override {
        Log("reset");
        return Connection::Reset();
    }
    System::ResultCode RestoreParameterDefaults() override {
        selector.clear();
        return Connection::RestoreParameterDefaults();
    }
    System::ResultCode OnLowerIndication(Protocol::Frame* frame, std::uint32_t event) override {
        Log("indication " + std::to_string(event) + (frame == nullptr ? " null" : " frame"));
        return System::OkNoError;
    }

    std::string Name() const {
        return std::string(GetLayer() != nullptr ? GetLayer()->GetName() : "?") + "#" + std::to_string(GetId());
    }

    // The tests set states and fill the pending lists as a layer would.
    using Connection::PendingA;
    using Connection::PendingB;
    using Connection::SetState;

    std::string selector;

private:
    void Log(const std::string& what) {
        if (log_ != nullptr) log_->push_back(Name() + " " + what);
    }

    CallLog* log_;
};

// The logging connection behind a connection of a logging layer.
inline LoggingConnection* Logging(Protocol::Connection* connection) {
    return static_cast<LoggingConnection*>(connection);
}

class LoggingLayer : public Protocol::Layer {
public:
    LoggingLayer(const char* name, std::int32_t level, CallLog* log = nullptr) : Layer(name, level), log_(log) {}
    ~LoggingLayer() override { DeleteConnections(); }

    Protocol::Connection* CreateConnection() override { return new LoggingConnection(this, log_); }

private:
    CallLog* log_;
};

}  // namespace StackTest
