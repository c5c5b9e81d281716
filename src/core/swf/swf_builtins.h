// Helpers shared by the files that install the built-in objects of the action machine.
#pragma once

#include <span>
#include <string_view>

#include "core/swf/swf_object.h"
#include "core/swf/swf_value.h"

namespace zp::swf {

class Vm;

// The argument at `i`, or undefined.
Value Arg(std::span<const Value> args, size_t i);
// A global constructor with its prototype linked both ways.
Object* MakeConstructor(Vm& vm, std::u16string_view name, NativeFunction call, NativeFunction construct,
                        Object* proto);
// The classes Object.registerClass tied to exported symbols, by symbol name.
Object* RegisteredClasses(Vm& vm);

void InstallArray(Vm& vm);
void InstallString(Vm& vm);
void InstallDate(Vm& vm);
void InstallColor(Vm& vm);

}  // namespace zp::swf
