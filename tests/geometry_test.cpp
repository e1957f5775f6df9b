// Geometry at its degenerate inputs, where a plain formula gives NaN, an
// infinity, a hang or a wrong count: huge angles, parallel lines, tangents,
// concentric circles, lenses larger than a half circle, linear equations and
// series of ratio 1.
#include "Geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

const double kPi = 3.141592653589793;

void expectNear(const VecPosition& actual, double x, double y, double z) {
  EXPECT_NEAR(actual.getX(), x, 1e-9);
  EXPECT_NEAR(actual.getY(), y, 1e-9);
  EXPECT_NEAR(actual.getZ(), z, 1e-9);
}

template <typename Call>
std::string stderrOf(Call call) {
  testing::internal::CaptureStderr();
  call();
  return testing::internal::GetCapturedStderr();
}

// Area of the lens of two circles, from the law of cosines.
double lensArea(double r0, double r1, double d) {
  double k = std::sqrt((-d + r0 + r1) * (d + r0 - r1) * (d - r0 + r1) * (d + r0 + r1));
  return r0 * r0 * std::acos((d * d + r0 * r0 - r1 * r1) / (2 * d * r0)) +
         r1 * r1 * std::acos((d * d + r1 * r1 - r0 * r0) / (2 * d * r1)) - 0.5 * k;
}

}  // namespace

TEST(GeometryAngles, HelpersStayFiniteAndInTheHalfTurn) {
  EXPECT_EQ(atan2Deg(0.00005, -0.00005), 0);
  EXPECT_EQ(asinDeg(1.5), 90);
  EXPECT_EQ(acosDeg(-2), 180);
  EXPECT_EQ(VecPosition::normalizeAngle(540), 180);
  EXPECT_EQ(VecPosition::normalizeAngle(-540), -180);
  EXPECT_EQ(VecPosition::normalizeAngle(720 * 1000 + 45.25), 45.25);
  AngDeg huge = VecPosition::normalizeAngle(1e300);
  EXPECT_TRUE(huge >= -180 && huge <= 180);
  EXPECT_TRUE(std::isnan(VecPosition::normalizeAngle(INFINITY)));
  EXPECT_NEAR(std::fabs(getBisectorTwoAngles(170, -170)), 180, 1e-9);
  EXPECT_FALSE(isAngInInterval(20, 0, 20));
  EXPECT_TRUE(isAngInInterval(350, 300, 20));
  EXPECT_TRUE(isAngInInterval(300, 300, 20));
  EXPECT_TRUE(isAngInInterval(-10, -30, 10));
  EXPECT_FALSE(isAngInInterval(-90, -30, 10));
  expectNear(VecPosition(0, 0, 0).setMagnitude(5), 0, 0, 0);
}

TEST(GeometryLine, ParallelAndAxisLinesAndUnsolvableCoordinates) {
  Line diagonal(1, -1, 0);
  expectNear(diagonal.getIntersection(Line(1, 1, -4)), 2, 2, 0);
  expectNear(diagonal.getIntersection(Line(0, 1, -3)), 3, 3, 0);
  expectNear(Line(0, 1, -3).getIntersection(diagonal), 3, 3, 0);
  expectNear(diagonal.getIntersection(Line(2, -2, 5)), 0, 0, 0);
  // Horizontal lines built in opposite directions carry b = -0.0 and +0.0.
  Line east = Line::makeLineFromTwoPoints(VecPosition(0, 0, 0), VecPosition(1, 0, 0));
  Line west = Line::makeLineFromTwoPoints(VecPosition(1, 5, 0), VecPosition(0, 5, 0));
  expectNear(east.getIntersection(west), 0, 0, 0);
  double y = 1, x = 1;
  EXPECT_EQ(stderrOf([&] { y = Line(0, 1, -3).getYGivenX(1); }),
            "(Line::getYGivenX) Cannot calculate Y coordinate: x = 3\n");
  EXPECT_EQ(stderrOf([&] { x = Line(1, 0, -2).getXGivenY(1); }),
            "(Line::getXGivenY) Cannot calculate X coordinate\n");
  EXPECT_EQ(x + y, 0);
}

TEST(GeometryCircle, CrossingCountsWithTangentsAndConcentricCircles) {
  Circle unit(VecPosition(0, 0, 7), 1);
  VecPosition p1(9, 9, 9), p2(9, 9, 9);
  EXPECT_EQ(Line(0, 1, -0.6).getCircleIntersectionPoints(unit, &p1, &p2), 2);
  EXPECT_EQ(Line(1, 0, -1).getCircleIntersectionPoints(unit, &p1, &p2), 1);
  expectNear(p1, 0, 1, 0);
  EXPECT_EQ(Line(1, 0, -2).getCircleIntersectionPoints(unit, &p1, &p2), 0);

  Circle flat(VecPosition(0, 0, 0), 1);
  EXPECT_EQ(flat.getCircleIntersectionPoints(Circle(VecPosition(1, 0, 4), 1), &p1, &p2), 2);
  EXPECT_EQ(flat.getCircleIntersectionPoints(Circle(VecPosition(2, 0, 0), 1), &p1, &p2), 1);
  expectNear(p1, 1, 0, 0);
  EXPECT_EQ(flat.getCircleIntersectionPoints(Circle(VecPosition(3, 0, 0), 1), &p1, &p2), 0);
  EXPECT_EQ(flat.getCircleIntersectionPoints(Circle(VecPosition(0, 0, 0), 1), &p1, &p2), 0);
  EXPECT_FALSE(flat.setRadius(-2));
  EXPECT_EQ(flat.getRadius(), 0);
}

TEST(GeometryCircle, IntersectionArea) {
  Circle big(VecPosition(0, 0, 0), 2);
  EXPECT_DOUBLE_EQ(big.getIntersectionArea(big, true), 4 * kPi);
  EXPECT_DOUBLE_EQ(big.getIntersectionArea(Circle(VecPosition(0.5, 0, 0), 1), true), kPi);
  EXPECT_EQ(big.getIntersectionArea(Circle(VecPosition(3.5, 0, 0), 1), true), 0);
  EXPECT_EQ(big.getIntersectionArea(Circle(VecPosition(1, 0, 0.1), 2), true), 0);
  // The small circle's center lies beyond the chord, so most of it overlaps.
  Circle small(VecPosition(1.5, 0, 0), 1);
  EXPECT_NEAR(big.getIntersectionArea(small, true), lensArea(2, 1, 1.5), 1e-9);
  EXPECT_NEAR(small.getIntersectionArea(big, true), lensArea(2, 1, 1.5), 1e-9);
  // The chord is a diameter of the first circle; rounding must not give NaN.
  double d = std::hypot(0.1, 0.5);
  EXPECT_NEAR(Circle(VecPosition(0, 0, 0), 3)
                  .getIntersectionArea(Circle(VecPosition(0.1, 0.5, 0), std::hypot(d, 3)), true),
              lensArea(3, std::hypot(d, 3), d), 1e-9);
  Circle raised(VecPosition(0, 0, 5), 2);
  EXPECT_NEAR(raised.getIntersectionArea(Circle(VecPosition(1.5, 0, 5), 1), true),
              lensArea(2, 1, 1.5), 1e-9);
}

TEST(GeometrySeries, LinearEquationsRatioOneAndDivergence) {
  double s1 = 7, s2 = 7;
  EXPECT_EQ(Geometry::abcFormula(1, 2, 1.00001, &s1, &s2), 1);
  EXPECT_EQ(s1, -1);
  EXPECT_EQ(s2, 7);
  EXPECT_EQ(Geometry::abcFormula(1, 0, 1, &s1, &s2), 0);
  EXPECT_EQ(Geometry::abcFormula(0, 2, -3, &s1, &s2), 1);
  EXPECT_EQ(s1, 1.5);
  EXPECT_EQ(Geometry::abcFormula(0, 0, 1, &s1, &s2), 0);
  EXPECT_EQ(Geometry::getLengthGeomSeries(1, 2, -5), -1);
  EXPECT_EQ(Geometry::getLengthGeomSeries(0, 2, 5), -1);
  EXPECT_EQ(Geometry::getSumGeomSeries(3, 1, 4), 12);
  EXPECT_EQ(Geometry::getFirstGeomSeries(12, 1, 4), 3);
  EXPECT_EQ(Geometry::getLengthGeomSeries(3, 1, 12), 4);
  EXPECT_EQ(stderrOf([] { Geometry::getLengthGeomSeries(1, -2, 1); }),
            "(Geometry:getLengthGeomSeries): negative ratio\n");
  EXPECT_EQ(stderrOf([] { Geometry::getSumInfGeomSeries(1, -0.5); }), "");
  EXPECT_EQ(stderrOf([] { Geometry::getSumInfGeomSeries(1, -1); }),
            "(Geometry:CalcLengthGeomSeries): series does not converge\n");
  EXPECT_EQ(stderrOf([] { EXPECT_EQ(Geometry::getFirstInfGeomSeries(1, 3), -2); }),
            "(Geometry:getFirstInfGeomSeries):series does not converge\n");
}
