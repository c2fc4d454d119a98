// Describing a pin whose module variable holds the address of a block of float samples, the
// kind of pin most modules are made of.
#pragma once

#include "pin_properties.h"

namespace qn {

// Writes the fields such a module uses: variable, direction, datatype, name and, for inputs
// only, the default text. Every other field stays as the caller set it.
inline void describeStreamPin(PinProperties* properties, float** variable, PinDirection direction,
                              const char* name, const char* defaultText) noexcept {
    properties->variable = variable;
    properties->direction = direction;
    properties->datatype = sampleStream;
    properties->name = name;
    if (direction == pinInput) {
        properties->defaultText = defaultText;
    }
}

}  // namespace qn
