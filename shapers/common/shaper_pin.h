// One row of a shaper's pin table: which member of the module the pin binds to, and how the
// pin is described to the host. Every shaper pin carries blocks of float samples.
#pragma once

#include "pin_properties.h"

namespace qn::shapers {

template <class Module>
struct ShaperPin {
    float* Module::*variable;
    PinDirection direction;
    const char* name;
    // Null for the output, whose default text is left as the host set it.
    const char* defaultText;
};

}  // namespace qn::shapers
