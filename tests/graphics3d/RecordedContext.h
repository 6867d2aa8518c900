#pragma once

#include "orvane/graphics3d/gl/GLRecorder.h"
#include "orvane/graphics3d/state/Context.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvane::graphics3d::test {

using Calls = std::vector<std::string>;

// A render context without any OpenGL behind it, in front of a scripted recorder: the
// recorder's log starts empty with each test.
class RecordedContext : public ::testing::Test {
protected:
    void SetUp() override {
        context = Context::createForCurrent();
        context->release(); // the chain keeps it until retire()
        recorder.clear();
    }
    void TearDown() override { context->retire(); }

    GLRecorder recorder;
    Context* context = nullptr;
};

} // namespace orvane::graphics3d::test
