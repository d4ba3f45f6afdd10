// Descriptors of object variables ("OBJECT.VARIABLE"), filled by the compiler and the engine.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "time/date_time.h"

namespace kelvaro {

struct TVarInt {
  std::int32_t Value = 0;
  std::int32_t Addr = -1;  // -1: no address assigned yet
};

struct TVarReal {
  double Value = 0.0;
  std::int32_t Decimals = 0;  // digits after the decimal point in the start value
  std::int32_t Addr = -1;
};

// Kinds "Zeit", "Uhr" and "Datum".
struct TVarTime {
  std::string TypeName;  // short text [32]
  DateTime Value = 0.0;
};

struct TVarStr {
  std::string Name;  // short text [32]
  std::string Value;
  std::int32_t Addr = -1;
};

struct TVarUser {
  std::string TypeName;       // short text [32]
  std::int32_t MaxState = 0;  // index of the type's last state
  std::int32_t State = 0;     // index of the start state
  std::int32_t Addr = -1;
};

using VariableDescriptor = std::variant<TVarInt, TVarReal, TVarTime, TVarStr, TVarUser>;

}  // namespace kelvaro
