#include "orvane/graphics3d/state/Resource.h"

#include <atomic>

namespace orvane::graphics3d {
namespace {

std::uint64_t nextCreationNumber() noexcept {
    static std::atomic<std::uint64_t> last{0};
    return last.fetch_add(1, std::memory_order_relaxed) + 1;
}

} // namespace

Resource::Resource() noexcept
    : creation(nextCreationNumber()) {}

Resource::Resource(const Resource& other) noexcept
    : object::Object(other)
    , name(other.name)
    , creation(nextCreationNumber()) {}

Resource& Resource::operator=(const Resource& other) {
    name = other.name;
    return *this;
}

types::String Resource::getName() const {
    return name;
}

types::String Resource::getClassName() const {
    return object::classPath(Object::getClassName(), ":Resource");
}

} // namespace orvane::graphics3d
