#pragma once
// A test suite drawing in one headless OpenGL context of Side x Side pixels, made for the suite
// and current in every test. CI has Mesa: a missing context is a failure, never a skip.

#include "render/gl/DisplayLists.h"
#include "render/gl/HeadlessContext.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace lwtest {

template <int Side> class HeadlessGlTest : public ::testing::Test {
protected:
    static std::unique_ptr<lw::gl::HeadlessContext>& context() {
        static std::unique_ptr<lw::gl::HeadlessContext> c;
        return c;
    }
    static void SetUpTestSuite() {
        auto created = lw::gl::HeadlessContext::create(Side, Side);
        if (created)
            context() = std::move(created.value());
        else
            failure() = created.error().message();
    }
    static void TearDownTestSuite() { context().reset(); }

    void SetUp() override {
        ASSERT_TRUE(context()) << "no headless OpenGL context: " << failure();
        ASSERT_TRUE(context()->makeCurrent().ok());
        lw::gl::installDisplayListReleaseHook();
    }

private:
    static std::string& failure() {
        static std::string f;
        return f;
    }
};

} // namespace lwtest
