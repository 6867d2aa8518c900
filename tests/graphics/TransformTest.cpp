#include "orvane/graphics/Transform.h"

#include <gtest/gtest.h>

namespace orvane::graphics {
namespace {

using T = Transform<float>;

TEST(Transform, PointsTakeTheTranslationSizesDoNot) {
    T t(2, 1, 10, 0.5f, 3, 20);
    EXPECT_EQ(t.map(Point<float>{1, 2}), (Point<float>{14, 26.5f}));
    EXPECT_EQ(t.map(Size<float>{1, 2}), (Size<float>{4, 6.5f}));
    EXPECT_EQ(t.map(Rectangle<float>{1, 2, 1, 2}), (Rectangle<float>{14, 26.5f, 4, 6.5f}));
    EXPECT_EQ(T().map(Point<float>{3, 4}), (Point<float>{3, 4}));
    EXPECT_EQ(T().getClassName(), "Object:Transform");
}

TEST(Transform, CompositionAppliesTheInnerTransformFirst) {
    T parent = T::scaling(2, 3);
    T local = T::translation(5, 7);
    Point<float> p{1, 1};
    EXPECT_EQ((parent * local).map(p), parent.map(local.map(p)));
    EXPECT_EQ((parent * local).map(p), (Point<float>{12, 24}));
    EXPECT_EQ((local * parent).map(p), (Point<float>{7, 10}));
    EXPECT_EQ(T::scaling(2, 2).translated(5, 6).map(p), (Point<float>{7, 8}))
        << "translated moves after the linear part";
}

TEST(Transform, InverseUndoesAndASingularOneGivesIdentity) {
    T t(2, 1, 10, 1, 3, -4);
    Point<float> p{3, -2};
    Point<float> back = t.inverse().map(t.map(p));
    EXPECT_NEAR(back.x, p.x, 1e-5);
    EXPECT_NEAR(back.y, p.y, 1e-5);
    EXPECT_EQ(T(1, 2, 3, 2, 4, 5).inverse(), T()) << "determinant 0";
}

} // namespace
} // namespace orvane::graphics
