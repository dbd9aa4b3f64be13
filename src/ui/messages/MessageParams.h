#pragma once

#include <concepts>
#include <string>

#include "ui/messages/Types.h"

// Pointers carried in a message's wParam or lParam: texts and records. What a parameter
// points at belongs to the sender and lives through the handler, since a send waits for
// it and a posted text is the bridge's own copy. No Qt and nothing to link: the client
// bridge, which has no Qt, hands its texts and records over with these too.
namespace Ui {

template <class Param>
concept MessageParam = std::same_as<Param, WPARAM> || std::same_as<Param, LPARAM>;

// The parameter that carries `pointer`: lParam unless wParam is asked for.
template <MessageParam Param = LPARAM, class T>
Param ParamOf(T* pointer) {
    return reinterpret_cast<Param>(pointer);
}

// The pointer a parameter carries. T is what the sender pointed at; const T where the
// handler only reads it.
template <class T, MessageParam Param>
T* ParamAs(Param param) {
    return reinterpret_cast<T*>(param);
}

// The text a parameter carries; empty for none.
template <MessageParam Param>
std::string TextOf(Param param) {
    const char* text = ParamAs<const char>(param);
    return text != nullptr ? std::string(text) : std::string();
}

}  // namespace Ui
