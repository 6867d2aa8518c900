#pragma once

#include "orvane/graphics/Image.h"
#include "orvane/io/Filter.h"

namespace orvane::graphics {

// The abstract image filter.
class FilterImage : public io::Filter<Image> {
public:
    types::String getClassName() const override {
        return object::classPath(Filter::getClassName(), ":FilterImage");
    }
};

} // namespace orvane::graphics
