#include "Geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

namespace {

const double kPi = 3.141592653589793;

void expectNear(const VecPosition& actual, double x, double y, double z) {
  EXPECT_NEAR(actual.getX(), x, 1e-9);
  EXPECT_NEAR(actual.getY(), y, 1e-9);
  EXPECT_NEAR(actual.getZ(), z, 1e-9);
}

template <typename Shape>
std::string shown(const Shape& shape) {
  std::ostringstream os;
  shape.show(os);
  return os.str();
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

TEST(GeometryAngles, ScalarHelpersAtTheirLimits) {
  EXPECT_EQ(sign(0.0), -1);
  EXPECT_EQ(atan2Deg(0.00005, -0.00005), 0);
  EXPECT_EQ(asinDeg(1.5), 90);
  EXPECT_EQ(acosDeg(-2), 180);
}

TEST(GeometryAngles, NormalizeKeepsHalfTurnBoundsAndEndsOnHugeInput) {
  EXPECT_EQ(VecPosition::normalizeAngle(540), 180);
  EXPECT_EQ(VecPosition::normalizeAngle(-540), -180);
  EXPECT_EQ(VecPosition::normalizeAngle(720 * 1000 + 45.25), 45.25);
  AngDeg huge = VecPosition::normalizeAngle(1e300);
  EXPECT_TRUE(huge >= -180 && huge <= 180);
  EXPECT_TRUE(std::isnan(VecPosition::normalizeAngle(INFINITY)));
}

TEST(GeometryAngles, IntervalLiftsNegativeAnglesAndWraps) {
  EXPECT_FALSE(isAngInInterval(20, 0, 20));
  EXPECT_TRUE(isAngInInterval(350, 300, 20));
  EXPECT_TRUE(isAngInInterval(-10, -30, 10));
  EXPECT_TRUE(isAngInInterval(300, 300, 20));
  EXPECT_FALSE(isAngInInterval(180, 300, 20));
  EXPECT_FALSE(isAngInInterval(-90, -30, 10));
}

TEST(GeometryAngles, BisectorStaysInHalfTurn) {
  EXPECT_NEAR(getBisectorTwoAngles(10, 80), 45, 1e-9);
  EXPECT_NEAR(std::fabs(getBisectorTwoAngles(170, -170)), 180, 1e-9);
}

TEST(GeometryVector, PolarConversionsBothWays) {
  expectNear(VecPosition(2, 90, 0, POLAR), 0, 2, 0);
  VecPosition p(1, 1, std::sqrt(2.0));
  EXPECT_NEAR(p.getTheta(), 45, 1e-12);
  EXPECT_NEAR(p.getPhi(), 45, 1e-12);
}

TEST(GeometryVector, RotateKeepsMagnitudeAndElevation) {
  VecPosition v(1, 0, 0);
  expectNear(v.rotate(90), 0, 1, 0);
  VecPosition raised(3, 0, 3);
  raised.rotate(-90);
  expectNear(raised, 0, -3, 3);
  EXPECT_NEAR(raised.getPhi(), 45, 1e-9);
  expectNear(VecPosition(2, 1, 0).globalToRelative(VecPosition(1, 1, 0), 90), 0, -1, 0);
  expectNear(VecPosition(0, -1, 0).relativeToGlobal(VecPosition(1, 1, 0), 90), 2, 1, 0);
}

TEST(GeometryVector, MagnitudeOfNearZeroVectorIsLeftAlone) {
  expectNear(VecPosition(0, 0, 0).setMagnitude(5), 0, 0, 0);
  expectNear(VecPosition(3, 4, 0).normalize(), 0.6, 0.8, 0);
  expectNear(VecPosition(0, 0, 0).getVecPositionOnLineFraction(VecPosition(4, 8, 2), 0.25), 1, 2,
             0.5);
}

TEST(GeometryVector, PrintedForms) {
  VecPosition p(1, 2.5, -3);
  std::ostringstream os;
  os << p;
  EXPECT_EQ(os.str(), "( 1, 2.5, -3 )");
  EXPECT_EQ(p.str(), "( 1.000000, 2.500000, -3.000000 )");
  EXPECT_EQ(VecPosition(0, 3, 4).str(POLAR), "( r: 5.000000, theta: 90.000000, phi: 53.130102 )");
  testing::internal::CaptureStdout();
  p.show();
  VecPosition(0, 2, 0).show(POLAR);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "( 1, 2.5, -3 )\n( r: 2, theta: 90, phi: 0 )");
}

TEST(GeometryLine, ConstructionAndPrinting) {
  Line vertical = Line::makeLineFromTwoPoints(VecPosition(2, 5, 0), VecPosition(2.00005, 9, 0));
  EXPECT_EQ(shown(vertical), "x = 2.00005");
  Line sloped = Line::makeLineFromTwoPoints(VecPosition(0, -3, 0), VecPosition(1, -1, 0));
  EXPECT_EQ(sloped.getYGivenX(4), 5);
  Line bySlope = Line::makeLineFromPositionAndAngle(VecPosition(1, 1, 0), 2);
  EXPECT_EQ(bySlope.getYGivenX(3), 5);
  EXPECT_EQ(shown(sloped), "y = 2x - 3");
  EXPECT_EQ(shown(Line(2, -4, -6)), "y = 2x + 3");
  EXPECT_EQ(shown(Line(-1, 0, 2)), "y = + 2");
  EXPECT_EQ(shown(Line(1, 1, 0)), "y = -1x ");
}

TEST(GeometryLine, UnsolvableCoordinateWarnsAndGivesZero) {
  double y = 1;
  EXPECT_EQ(stderrOf([&] { y = Line(0, 1, -3).getYGivenX(1); }),
            "(Line::getYGivenX) Cannot calculate Y coordinate: x = 3\n");
  EXPECT_EQ(y, 0);
  double x = 1;
  EXPECT_EQ(stderrOf([&] { x = Line(1, 0, -2).getXGivenY(1); }),
            "(Line::getXGivenY) Cannot calculate X coordinate\n");
  EXPECT_EQ(x, 0);
}

TEST(GeometryLine, IntersectionsAndClosestPoints) {
  Line diagonal(1, -1, 0);
  expectNear(diagonal.getIntersection(Line(1, 1, -4)), 2, 2, 0);
  expectNear(diagonal.getIntersection(Line(0, 1, -3)), 3, 3, 0);
  expectNear(Line(0, 1, -3).getIntersection(diagonal), 3, 3, 0);
  expectNear(diagonal.getIntersection(Line(2, -2, 5)), 0, 0, 0);
  // Horizontal lines built in opposite directions carry b = -0.0 and +0.0.
  Line east = Line::makeLineFromTwoPoints(VecPosition(0, 0, 0), VecPosition(1, 0, 0));
  Line west = Line::makeLineFromTwoPoints(VecPosition(1, 5, 0), VecPosition(0, 5, 0));
  expectNear(east.getIntersection(west), 0, 0, 0);
  expectNear(diagonal.getPointOnLineClosestTo(VecPosition(0, 2, 0)), 1, 1, 0);
  EXPECT_NEAR(diagonal.getDistanceWithPoint(VecPosition(0, 2, 2)), std::sqrt(6.0), 1e-12);
  EXPECT_TRUE(
      diagonal.isInBetween(VecPosition(0, 2, 0), VecPosition(0, 0, 0), VecPosition(2, 2, 0)));
  EXPECT_FALSE(
      diagonal.isInBetween(VecPosition(4, 6, 0), VecPosition(0, 0, 0), VecPosition(2, 2, 0)));
}

TEST(GeometryLine, CircleCrossingCounts) {
  Circle unit(VecPosition(0, 0, 7), 1);
  VecPosition p1(9, 9, 9), p2(9, 9, 9);
  EXPECT_EQ(Line(1, 0, 0).getCircleIntersectionPoints(unit, &p1, &p2), 2);
  expectNear(p1, 1, 0, 0);
  expectNear(p2, -1, 0, 0);
  EXPECT_EQ(Line(1, 0, -1).getCircleIntersectionPoints(unit, &p1, &p2), 1);
  expectNear(p1, 0, 1, 0);
  EXPECT_EQ(Line(1, 0, -2).getCircleIntersectionPoints(unit, &p1, &p2), 0);
  EXPECT_EQ(Line(0, 1, -0.6).getCircleIntersectionPoints(unit, &p1, &p2), 2);
  expectNear(p1, 0.6, 0.8, 0);
  expectNear(p2, 0.6, -0.8, 0);
}

TEST(GeometryCircle, DefaultsRadiusAndInside) {
  Circle none;
  EXPECT_EQ(none.getRadius(), 0);
  EXPECT_EQ(none.getCenter(), UnknownPosition);
  Circle c(VecPosition(1, 2, 0), 3);
  EXPECT_FALSE(c.setRadius(-2));
  EXPECT_EQ(c.getRadius(), 0);
  EXPECT_TRUE(c.setCircle(VecPosition(1, 2, 0), 2));
  EXPECT_DOUBLE_EQ(c.getVolume(), 32 * kPi / 3);
  EXPECT_FALSE(c.isInside(VecPosition(3, 2, 0), false));
  EXPECT_FALSE(c.isInside(VecPosition(2, 2, 5), false));
  EXPECT_TRUE(c.isInside(VecPosition(2, 2, 5), true));
  EXPECT_EQ(shown(c), "c:( 1, 2, 0 ), r:2");
}

TEST(GeometryCircle, CircleCrossingCounts) {
  Circle unit(VecPosition(0, 0, 0), 1);
  VecPosition p1, p2;
  EXPECT_EQ(unit.getCircleIntersectionPoints(Circle(VecPosition(1, 0, 4), 1), &p1, &p2), 2);
  expectNear(p1, 0.5, std::sqrt(0.75), 0);
  expectNear(p2, 0.5, -std::sqrt(0.75), 0);
  EXPECT_EQ(unit.getCircleIntersectionPoints(Circle(VecPosition(2, 0, 0), 1), &p1, &p2), 1);
  expectNear(p1, 1, 0, 0);
  EXPECT_EQ(unit.getCircleIntersectionPoints(Circle(VecPosition(3, 0, 0), 1), &p1, &p2), 0);
  EXPECT_EQ(unit.getCircleIntersectionPoints(Circle(VecPosition(0, 0, 0), 1), &p1, &p2), 0);
  expectNear(p1, 0, 0, 0);
}

TEST(GeometryCircle, IntersectionArea) {
  Circle big(VecPosition(0, 0, 0), 2);
  EXPECT_DOUBLE_EQ(big.getIntersectionArea(big, true), 4 * kPi);
  EXPECT_DOUBLE_EQ(big.getIntersectionArea(Circle(VecPosition(0.5, 0, 0), 1), true), kPi);
  EXPECT_EQ(big.getIntersectionArea(Circle(VecPosition(3.5, 0, 0), 1), true), 0);
  EXPECT_EQ(big.getIntersectionArea(Circle(VecPosition(1, 0, 0.1), 2), true), 0);
  Circle unit(VecPosition(0, 0, 0), 1);
  EXPECT_NEAR(unit.getIntersectionArea(Circle(VecPosition(1, 0, 0), 1), true), lensArea(1, 1, 1),
              1e-9);
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

TEST(GeometryRect, CornersInsideAndPrinting) {
  Rect r(VecPosition(1, 4, 0), VecPosition(3, 1, 0));
  EXPECT_EQ(r.getPosLeftTop(), VecPosition(3, 1, 0));
  EXPECT_EQ(r.getPosRightBottom(), VecPosition(1, 4, 0));
  EXPECT_TRUE(r.isInside(VecPosition(2, 2, 9)));
  EXPECT_FALSE(r.isInside(VecPosition(3, 2, 0)));
  EXPECT_FALSE(r.isInside(VecPosition(2, 1, 0)));
  EXPECT_EQ(shown(r), "rect(( 3, 1, 0 ) ( 1, 4, 0 ))");
  r.setPosLeftTop(VecPosition(5, 0, 2));
  r.setRectanglePoints(VecPosition(0, 0, 7), VecPosition(1, 1, 7));
  EXPECT_EQ(r.getPosLeftTop(), VecPosition(1, 0, 2));
}

TEST(GeometryPlane, DeltaAndExactMembership) {
  Plane floor(VecPosition(0, 0, 1), VecPosition(4, 5, 2));
  EXPECT_EQ(floor.getPlaneDelta(), -2);
  EXPECT_TRUE(floor.isInside(VecPosition(-1, 8, 2)));
  EXPECT_FALSE(floor.isInside(VecPosition(-1, 8, 2.0001)));
  EXPECT_EQ(shown(floor), "plane( norm(( 0, 0, 1 )), delta: -2)");
}

TEST(GeometrySeries, QuadraticFormula) {
  double s1 = 7, s2 = 7;
  EXPECT_EQ(Geometry::abcFormula(1, -3, 2, &s1, &s2), 2);
  EXPECT_EQ(s1, 2);
  EXPECT_EQ(s2, 1);
  s2 = 7;
  EXPECT_EQ(Geometry::abcFormula(1, 2, 1.00001, &s1, &s2), 1);
  EXPECT_EQ(s1, -1);
  EXPECT_EQ(s2, 7);
  EXPECT_EQ(Geometry::abcFormula(1, 0, 1, &s1, &s2), 0);
  EXPECT_EQ(Geometry::abcFormula(0, 2, -3, &s1, &s2), 1);
  EXPECT_EQ(s1, 1.5);
  EXPECT_EQ(Geometry::abcFormula(0, 0, 1, &s1, &s2), 0);
}

TEST(GeometrySeries, FiniteSeries) {
  EXPECT_DOUBLE_EQ(Geometry::getSumGeomSeries(1, 2, 4), 15);
  EXPECT_DOUBLE_EQ(Geometry::getFirstGeomSeries(15, 2, 4), 1);
  EXPECT_DOUBLE_EQ(Geometry::getLengthGeomSeries(1, 2, 15), 4);
  EXPECT_EQ(Geometry::getLengthGeomSeries(1, 2, -5), -1);
  EXPECT_EQ(Geometry::getLengthGeomSeries(0, 2, 5), -1);
  EXPECT_EQ(Geometry::getSumGeomSeries(3, 1, 4), 12);
  EXPECT_EQ(Geometry::getFirstGeomSeries(12, 1, 4), 3);
  EXPECT_EQ(Geometry::getLengthGeomSeries(3, 1, 12), 4);
  EXPECT_EQ(stderrOf([] { Geometry::getLengthGeomSeries(1, -2, 1); }),
            "(Geometry:getLengthGeomSeries): negative ratio\n");
}

TEST(GeometrySeries, InfiniteSeriesWarnWhenDiverging) {
  EXPECT_EQ(Geometry::getSumInfGeomSeries(1, 0.5), 2);
  EXPECT_EQ(Geometry::getFirstInfGeomSeries(2, 0.5), 1);
  EXPECT_EQ(stderrOf([] { Geometry::getSumInfGeomSeries(1, -0.5); }), "");
  const std::string sumWarning = "(Geometry:CalcLengthGeomSeries): series does not converge\n";
  EXPECT_EQ(stderrOf([] { EXPECT_EQ(Geometry::getSumInfGeomSeries(1, 3), -0.5); }), sumWarning);
  EXPECT_EQ(stderrOf([] { Geometry::getSumInfGeomSeries(1, -1); }), sumWarning);
  EXPECT_EQ(stderrOf([] { EXPECT_EQ(Geometry::getFirstInfGeomSeries(1, 3), -2); }),
            "(Geometry:getFirstInfGeomSeries):series does not converge\n");
}
