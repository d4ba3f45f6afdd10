// Small projects for tests: an object with a type, start value and program, and a project with
// the lamp type's two states. Shared so that each test file does not grow its own copy.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/project.h"

namespace kelvaro::test {

// An object of the type named, its kind following the type (Zahl, Zeichen, Knopf, else a user
// type); each line becomes a program line ("-" prefixed); ACode 254 runs it when it changes.
TPSObj programObject(const char* name, const char* type, const char* start, std::vector<std::string> lines = {},
                     std::uint8_t aCode = 254);

// A lamp ("Lampe", states "aus" and "an", starting "aus") with the program lines given.
TPSObj lampObject(const char* name, std::vector<std::string> lines = {});

// A project whose only type is "Lampe" with the states "aus" and "an".
Project lampProject(std::vector<TPSObj> objects);

// A variable definition line as the object stores it: name and type each padded to 20
// characters, then the start value.
std::string varDef(std::string name, std::string type, std::string_view start);

// --- State bitmaps as text, so that a test compares one line instead of field after field.
// Each entry as "state=name/NoPath/ObjectOwn", a state without a bitmap as "state=", joined by
// blanks.
std::string stateBitmapText(const std::vector<StateBitmapEntry>& entries);
// The project file text of one object: every stored field of it in one comparison.
std::string objectText(const TPSObj& object);

// --- Hardware: a station holding one device, named like the device, on a wired line (1 to 4)
// or the radio line (kind 4, the address repeated in all three bytes); and an object that
// sends to (send) or receives from the device of its own name.
TPSContr deviceStation(const char* name, const char* model, int line, std::uint8_t address);
TPSObj deviceObject(const char* name, const char* type, bool send, std::vector<std::string> program = {});

}  // namespace kelvaro::test
