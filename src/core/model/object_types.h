// How an object follows its type: state bitmaps, type class, shutter codes and kind.
#pragma once

#include <string_view>
#include <vector>

#include "model/project.h"

namespace kelvaro {

// Type classes of ObjTypO.
inline constexpr std::int32_t kTypeClassGeneral = 0;
inline constexpr std::int32_t kTypeClassTwoState = 1;
inline constexpr std::int32_t kTypeClassDoor = 2;
inline constexpr std::int32_t kTypeClassShutter = 3;

// The type the assistants give a shutter and compare targets against.
inline constexpr std::string_view kShutterType = "Rolllade";

// Rebuilds the object's state-bitmap list from the type's states, keeping the entries of
// states that still exist, and sets CtZust and ObjTypO.
void syncStateBitmaps(TPSObj& object, const std::vector<TypeStateEntry>& typeStates, std::string_view type);

// Drops every state-bitmap entry that has no bitmap or only a copy of the type's bitmap.
void keepOwnBitmaps(TPSObj& object);

// For shutter objects: start state, hardware value conversion "253" up / "252" down / 2(i+1).
void setUpShutterCodes(TPSObj& object);

// The object kind a type gives a new object: "Zahl" Z, "Zeichen" S, "Knopf" B,
// "(Undefiniert)" blank, any other (user) type U.
char objectKindForType(std::string_view type);

// The kind digit of a type's entry in the types list ("name;digit"); 4 when absent.
std::int32_t hardwareRoleOfType(const std::vector<std::string>& types, std::string_view type);

}  // namespace kelvaro
