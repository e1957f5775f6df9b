#include "Geometry.h"

#include <cmath>
#include <cstdio>
#include <iostream>

namespace {

const double kPi = 3.141592653589793;
// 4/3 * pi, the volume of the unit sphere.
const double kUnitSphereVolume = 4.1887902047863905;
// Coordinates, directions and discriminants below this count as zero.
const double kEpsilon = 0.0001;

// Brings an angle into [-180, 180]; 180 and -180 stay as they are. fmod is
// exact, so reducing first gives the same result as the two loops alone, but
// in bounded time for huge angles (and NaN instead of a hang for infinity).
AngDeg wrapToHalfTurn(AngDeg ang) {
  if (std::fabs(ang) > 360.0) ang = std::fmod(ang, 360.0);
  while (ang > 180.0) ang -= 360.0;
  while (ang < -180.0) ang += 360.0;
  return ang;
}

double dot(const VecPosition& p, const VecPosition& q) {
  return p.getX() * q.getX() + p.getY() * q.getY() + p.getZ() * q.getZ();
}

VecPosition inPlane(const VecPosition& p) {
  return VecPosition(p.getX(), p.getY(), 0);
}

// Area of the part of a circle that a chord cuts off on the side facing the
// other circle. The chord lies in the x-y plane, so distances are taken there.
double capFacingOther(const VecPosition& center, double radius, const VecPosition& chordMid,
                      double halfChord, const VecPosition& otherCenter) {
  VecPosition toChord = inPlane(chordMid - center);
  double smallCap = std::asin(min(halfChord / radius, 1.0)) * radius * radius -
                    halfChord * toChord.getMagnitude();
  // A center beyond the chord means the facing part is the larger one.
  bool centerBeyondChord = dot(toChord, inPlane(otherCenter - center)) < 0;
  return centerBeyondChord ? kPi * radius * radius - smallCap : smallCap;
}

}  // namespace

double sign(double x) {
  return x > 0 ? 1 : -1;
}
double max(double a, double b) {
  return a > b ? a : b;
}
double min(double a, double b) {
  return b <= a ? b : a;
}
AngDeg Rad2Deg(double x) {
  return 180.0 * x / kPi;
}
double Deg2Rad(AngDeg x) {
  return kPi * x / 180.0;
}
double cosDeg(AngDeg a) {
  return std::cos(Deg2Rad(a));
}
double sinDeg(AngDeg a) {
  return std::sin(Deg2Rad(a));
}
double tanDeg(AngDeg a) {
  return std::tan(Deg2Rad(a));
}
AngDeg atanDeg(double x) {
  return Rad2Deg(std::atan(x));
}

AngDeg atan2Deg(double y, double x) {
  if (std::fabs(x) < kEpsilon && std::fabs(y) < kEpsilon) return 0;
  return Rad2Deg(std::atan2(y, x));
}

AngDeg asinDeg(double x) {
  if (x >= 1) return 90;
  if (x <= -1) return -90;
  return Rad2Deg(std::asin(x));
}

AngDeg acosDeg(double x) {
  if (x >= 1) return 0;
  if (x <= -1) return 180;
  return Rad2Deg(std::acos(x));
}

bool isAngInInterval(AngDeg ang, AngDeg angMin, AngDeg angMax) {
  // Compare in [0, 360): negative angles are lifted by one turn. The test is
  // written on the sum so that a tiny negative rounding to a full turn stays.
  if (ang + 360 < 360) ang += 360;
  if (angMin + 360 < 360) angMin += 360;
  if (angMax + 360 < 360) angMax += 360;
  if (angMin < angMax) return angMin < ang && ang < angMax;
  // The interval wraps through 0.
  return !(angMax < ang && ang < angMin);
}

AngDeg getBisectorTwoAngles(AngDeg angMin, AngDeg angMax) {
  return wrapToHalfTurn(
      atan2Deg(0.5 * (sinDeg(angMin) + sinDeg(angMax)), 0.5 * (cosDeg(angMin) + cosDeg(angMax))));
}

// ---------------------------------------------------------------- VecPosition

VecPosition::VecPosition(double x, double y, double z, CoordSystemT cs) {
  setVecPosition(x, y, z, cs);
}

void VecPosition::setVecPosition(double dX, double dY, double dZ, CoordSystemT cs) {
  if (cs == POLAR) {
    *this = getVecPositionFromPolar(dX, dY, dZ);
    return;
  }
  m_x = dX;
  m_y = dY;
  m_z = dZ;
}

VecPosition VecPosition::operator-() const {
  return VecPosition(-m_x, -m_y, -m_z);
}
VecPosition VecPosition::operator+(const double& d) const {
  return VecPosition(m_x + d, m_y + d, m_z + d);
}
VecPosition VecPosition::operator+(const VecPosition& p) const {
  return VecPosition(m_x + p.m_x, m_y + p.m_y, m_z + p.m_z);
}
VecPosition VecPosition::operator-(const double& d) const {
  return VecPosition(m_x - d, m_y - d, m_z - d);
}
VecPosition VecPosition::operator-(const VecPosition& p) const {
  return VecPosition(m_x - p.m_x, m_y - p.m_y, m_z - p.m_z);
}
VecPosition VecPosition::operator*(const double& d) const {
  return VecPosition(m_x * d, m_y * d, m_z * d);
}
VecPosition VecPosition::operator*(const VecPosition& p) const {
  return VecPosition(m_x * p.m_x, m_y * p.m_y, m_z * p.m_z);
}
VecPosition VecPosition::operator/(const double& d) const {
  return VecPosition(m_x / d, m_y / d, m_z / d);
}
VecPosition VecPosition::operator/(const VecPosition& p) const {
  return VecPosition(m_x / p.m_x, m_y / p.m_y, m_z / p.m_z);
}

void VecPosition::operator=(const double& d) {
  m_x = m_y = m_z = d;
}
void VecPosition::operator+=(const VecPosition& p) {
  *this = *this + p;
}
void VecPosition::operator+=(const double& d) {
  *this = *this + d;
}
void VecPosition::operator-=(const VecPosition& p) {
  *this = *this - p;
}
void VecPosition::operator-=(const double& d) {
  *this = *this - d;
}
void VecPosition::operator*=(const VecPosition& p) {
  *this = *this * p;
}
void VecPosition::operator*=(const double& d) {
  *this = *this * d;
}
void VecPosition::operator/=(const VecPosition& p) {
  *this = *this / p;
}
void VecPosition::operator/=(const double& d) {
  *this = *this / d;
}

bool VecPosition::operator!=(const VecPosition& p) const {
  return !(*this == p);
}
bool VecPosition::operator!=(const double& d) const {
  return !(*this == d);
}
bool VecPosition::operator==(const VecPosition& p) const {
  return m_x == p.m_x && m_y == p.m_y && m_z == p.m_z;
}
bool VecPosition::operator==(const double& d) const {
  return m_x == d && m_y == d && m_z == d;
}

std::ostream& operator<<(std::ostream& os, VecPosition p) {
  return os << "( " << p.m_x << ", " << p.m_y << ", " << p.m_z << " )";
}

void VecPosition::show(CoordSystemT cs) const {
  if (cs == CARTESIAN) {
    std::cout << *this << "\n";
  } else {
    std::cout << "( r: " << getMagnitude() << ", theta: " << getDirection() << ", phi: " << getPhi()
              << " )";
  }
}

std::string VecPosition::str(CoordSystemT cs) const {
  char buf[1024];
  if (cs == CARTESIAN) {
    std::snprintf(buf, sizeof(buf), "( %f, %f, %f )", m_x, m_y, m_z);
  } else {
    std::snprintf(buf, sizeof(buf), "( r: %f, theta: %f, phi: %f )", getMagnitude(), getDirection(),
                  getPhi());
  }
  return buf;
}

bool VecPosition::setX(double dX) {
  m_x = dX;
  return true;
}
double VecPosition::getX() const {
  return m_x;
}
bool VecPosition::setY(double dY) {
  m_y = dY;
  return true;
}
double VecPosition::getY() const {
  return m_y;
}
bool VecPosition::setZ(double dZ) {
  m_z = dZ;
  return true;
}
double VecPosition::getZ() const {
  return m_z;
}

double VecPosition::getDistanceTo(const VecPosition p) const {
  return (*this - p).getMagnitude();
}

VecPosition VecPosition::setMagnitude(double d) {
  double magnitude = getMagnitude();
  if (magnitude > kEpsilon) *this *= d / magnitude;
  return *this;
}

double VecPosition::getMagnitude() const {
  return std::sqrt(m_x * m_x + m_y * m_y + m_z * m_z);
}
AngDeg VecPosition::getDirection() const {
  return atan2Deg(m_y, m_x);
}
AngDeg VecPosition::getTheta() const {
  return atan2Deg(m_y, m_x);
}
AngDeg VecPosition::getPhi() const {
  return atan2Deg(m_z, std::sqrt(m_x * m_x + m_y * m_y));
}

bool VecPosition::isInFrontOf(const VecPosition& p) const {
  return m_x > p.m_x;
}
bool VecPosition::isInFrontOf(const double& d) const {
  return m_x > d;
}
bool VecPosition::isBehindOf(const VecPosition& p) const {
  return m_x < p.m_x;
}
bool VecPosition::isBehindOf(const double& d) const {
  return m_x < d;
}
bool VecPosition::isLeftOf(const VecPosition& p) const {
  return m_y < p.m_y;
}
bool VecPosition::isLeftOf(const double& d) const {
  return m_y < d;
}
bool VecPosition::isRightOf(const VecPosition& p) const {
  return m_y > p.m_y;
}
bool VecPosition::isRightOf(const double& d) const {
  return m_y > d;
}
bool VecPosition::isUpOf(const VecPosition& p) const {
  return m_z > p.m_z;
}
bool VecPosition::isUpOf(const double& d) const {
  return m_z > d;
}
bool VecPosition::isDownOf(const VecPosition& p) const {
  return m_z < p.m_z;
}
bool VecPosition::isDownOf(const double& d) const {
  return m_z < d;
}

bool VecPosition::isBetweenX(const VecPosition& p1, const VecPosition& p2) const {
  return isInFrontOf(p1) && isBehindOf(p2);
}
bool VecPosition::isBetweenX(const double& d1, const double& d2) const {
  return isInFrontOf(d1) && isBehindOf(d2);
}
bool VecPosition::isBetweenY(const VecPosition& p1, const VecPosition& p2) const {
  return isRightOf(p1) && isLeftOf(p2);
}
bool VecPosition::isBetweenY(const double& d1, const double& d2) const {
  return isRightOf(d1) && isLeftOf(d2);
}
bool VecPosition::isBetweenZ(const VecPosition& p1, const VecPosition& p2) const {
  return isUpOf(p1) && isDownOf(p2);
}
bool VecPosition::isBetweenZ(const double& d1, const double& d2) const {
  return isUpOf(d1) && isDownOf(d2);
}

VecPosition VecPosition::normalize() {
  return setMagnitude(1.0);
}

VecPosition VecPosition::rotate(AngDeg angle) {
  *this = getVecPositionFromPolar(getMagnitude(), getDirection() + angle, getPhi());
  return *this;
}

VecPosition VecPosition::globalToRelative(VecPosition orig, AngDeg ang) {
  *this -= orig;
  return rotate(-ang);
}

VecPosition VecPosition::relativeToGlobal(VecPosition orig, AngDeg ang) {
  rotate(ang);
  *this += orig;
  return *this;
}

VecPosition VecPosition::getVecPositionOnLineFraction(const VecPosition& p, double dFrac) const {
  return *this * (1.0 - dFrac) + p * dFrac;
}

VecPosition VecPosition::getVecPositionFromPolar(double dMag, AngDeg theta, AngDeg phi) {
  return VecPosition(dMag * cosDeg(phi) * cosDeg(theta), dMag * cosDeg(phi) * sinDeg(theta),
                     dMag * sinDeg(phi));
}

AngDeg VecPosition::normalizeAngle(AngDeg angle) {
  return wrapToHalfTurn(angle);
}

// ----------------------------------------------------------------------- Line

Line::Line(double a, double b, double c) : m_a(a), m_b(b), m_c(c) {}

std::ostream& operator<<(std::ostream& os, Line l) {
  l.show(os);
  return os;
}

void Line::show(std::ostream& os) const {
  if (m_a == 0) {
    os << "x = " << -m_c / m_b;
    return;
  }
  os << "y = ";
  if (m_b != 0) os << -m_b / m_a << "x ";
  // The offset is -c/a; its sign follows c/a so that a negative a prints right.
  double offset = m_c / m_a;
  if (offset > 0) {
    os << "- " << std::fabs(offset);
  } else if (offset < 0) {
    os << "+ " << std::fabs(offset);
  }
}

VecPosition Line::getIntersection(Line line) const {
  double denominator = m_b * line.m_a - m_a * line.m_b;
  // Equal slopes: no single common point. The zero cross product also catches
  // horizontal lines whose b are +0.0 and -0.0 (slopes +inf and -inf).
  if (m_a / m_b == line.m_a / line.m_b || denominator == 0) return VecPosition(0, 0, 0);
  double x;
  double y;
  if (m_a != 0 && line.m_a != 0) {
    x = (m_a * line.m_c - line.m_a * m_c) / denominator;
    y = getYGivenX(x);
  } else if (m_a != 0) {
    x = -line.m_c / line.m_b;
    y = getYGivenX(x);
  } else {
    x = -m_c / m_b;
    y = line.getYGivenX(x);
  }
  return VecPosition(x, y, 0);
}

int Line::getCircleIntersectionPoints(Circle circle, VecPosition* posSolution1,
                                      VecPosition* posSolution2) const {
  double h = circle.getCenter().getX();
  double k = circle.getCenter().getY();
  double r = circle.getRadius();
  double s1 = 0;
  double s2 = 0;
  int solutions;
  if (std::fabs(m_a) >= kEpsilon) {
    // y = m*x + q substituted into (x - h)^2 + (y - k)^2 = r^2.
    double m = -m_b / m_a;
    double q = -m_c / m_a;
    solutions = Geometry::abcFormula(m * m + 1, 2 * (q * m - h - k * m),
                                     h * h + q * q - 2 * k * q + k * k - r * r, &s1, &s2);
    posSolution1->setVecPosition(s1, m * s1 + q, 0);
    posSolution2->setVecPosition(s2, m * s2 + q, 0);
  } else {
    double x0 = -m_c / m_b;
    double d = x0 - h;
    solutions = Geometry::abcFormula(1, -2 * k, d * d + k * k - r * r, &s1, &s2);
    posSolution1->setVecPosition(x0, s1, 0);
    posSolution2->setVecPosition(x0, s2, 0);
  }
  return solutions;
}

Line Line::getTangentLine(VecPosition pos) const {
  return Line(m_b, -m_a, m_a * pos.getX() - m_b * pos.getY());
}

VecPosition Line::getPointOnLineClosestTo(VecPosition pos) const {
  return getIntersection(getTangentLine(pos));
}

double Line::getDistanceWithPoint(VecPosition pos) const {
  return pos.getDistanceTo(getPointOnLineClosestTo(pos));
}

bool Line::isInBetween(VecPosition pos, VecPosition point1, VecPosition point2) const {
  VecPosition closest = getPointOnLineClosestTo(pos);
  double length = point1.getDistanceTo(point2);
  return closest.getDistanceTo(point1) <= length && closest.getDistanceTo(point2) <= length;
}

double Line::getYGivenX(double x) const {
  if (m_a == 0) {
    std::cerr << "(Line::getYGivenX) Cannot calculate Y coordinate: " << *this << "\n";
    return 0;
  }
  return -(m_b * x + m_c) / m_a;
}

double Line::getXGivenY(double y) const {
  if (m_b == 0) {
    std::cerr << "(Line::getXGivenY) Cannot calculate X coordinate\n";
    return 0;
  }
  return -(m_a * y + m_c) / m_b;
}

double Line::getACoefficient() const {
  return m_a;
}
double Line::getBCoefficient() const {
  return m_b;
}
double Line::getCCoefficient() const {
  return m_c;
}

Line Line::makeLineFromTwoPoints(VecPosition pos1, VecPosition pos2) {
  double dx = pos2.getX() - pos1.getX();
  if (std::fabs(dx) < kEpsilon) return Line(0, 1, -pos2.getX());
  double b = -(pos2.getY() - pos1.getY()) / dx;
  return Line(1, b, -pos2.getY() - b * pos2.getX());
}

// The second point is vec + (1, angle, 1) taken as Cartesian coordinates, so
// `angle` acts as the slope dy/dx of the line, not as a direction in degrees.
Line Line::makeLineFromPositionAndAngle(VecPosition vec, AngDeg angle) {
  return makeLineFromTwoPoints(vec, vec + VecPosition(1, angle, 1));
}

// --------------------------------------------------------------------- Circle

Circle::Circle() {
  setCircle(VecPosition(-1000.0, -1000.0, -1000.0), 0);
}

Circle::Circle(VecPosition pos, double dR) {
  setCenter(pos);
  setRadius(dR);
}

void Circle::show(std::ostream& os) const {
  os << "c:" << m_posCenter << ", r:" << m_dRadius;
}

bool Circle::setCircle(VecPosition pos, double dR) {
  setCenter(pos);
  return setRadius(dR);
}

bool Circle::setRadius(double dR) {
  if (dR > 0) {
    m_dRadius = dR;
    return true;
  }
  m_dRadius = 0;
  return false;
}

double Circle::getRadius() const {
  return m_dRadius;
}

bool Circle::setCenter(VecPosition pos) {
  m_posCenter = pos;
  return true;
}

VecPosition Circle::getCenter() const {
  return m_posCenter;
}
double Circle::getCircumference() const {
  return 2.0 * kPi * m_dRadius;
}
double Circle::getArea() const {
  return kPi * m_dRadius * m_dRadius;
}
double Circle::getVolume() const {
  return kUnitSphereVolume * m_dRadius * m_dRadius * m_dRadius;
}

bool Circle::isInside(VecPosition pos, bool bCircle) const {
  if (bCircle) pos.setZ(m_posCenter.getZ());
  return m_posCenter.getDistanceTo(pos) < m_dRadius;
}

int Circle::getCircleIntersectionPoints(Circle c, VecPosition* p1, VecPosition* p2) const {
  // Worked in the x-y plane; heights play no part.
  double x0 = m_posCenter.getX();
  double y0 = m_posCenter.getY();
  double r0 = m_dRadius;
  double dx = c.getCenter().getX() - x0;
  double dy = c.getCenter().getY() - y0;
  double r1 = c.getRadius();
  double d = std::sqrt(dx * dx + dy * dy);
  if (d == 0) {
    // Concentric circles meet nowhere or everywhere, never in single points.
    p1->setVecPosition(x0, y0, 0);
    p2->setVecPosition(x0, y0, 0);
    return 0;
  }
  double ux = dx / d;
  double uy = dy / d;
  // a: distance from this center to the chord; h: half the chord.
  double a = (d * d + r0 * r0 - r1 * r1) / (2 * d);
  double h2 = r0 * r0 - a * a;
  double h = h2 > 0 ? std::sqrt(h2) : 0;
  double bx = x0 + a * ux;
  double by = y0 + a * uy;
  p1->setVecPosition(bx - uy * h, by + ux * h, 0);
  p2->setVecPosition(bx + uy * h, by - ux * h, 0);
  if (h2 < 0) return 0;
  return h2 > 0 ? 2 : 1;
}

double Circle::getIntersectionArea(Circle c, bool bStrict) const {
  VecPosition otherCenter = c.getCenter();
  double otherRadius = c.getRadius();
  if (bStrict && m_posCenter.getZ() != otherCenter.getZ()) return 0;
  double d = m_posCenter.getDistanceTo(otherCenter);
  if (d > m_dRadius + otherRadius) return 0;
  if (d <= std::fabs(otherRadius - m_dRadius)) {
    double smaller = min(m_dRadius, otherRadius);
    return kPi * smaller * smaller;
  }
  VecPosition p1;
  VecPosition p2;
  if (getCircleIntersectionPoints(c, &p1, &p2) != 2) return 0;
  VecPosition chordMid = p1 * 0.5 + p2 * 0.5;
  double halfChord = p1.getDistanceTo(chordMid);
  return capFacingOther(m_posCenter, m_dRadius, chordMid, halfChord, otherCenter) +
         capFacingOther(otherCenter, otherRadius, chordMid, halfChord, m_posCenter);
}

// ----------------------------------------------------------------------- Rect

Rect::Rect(VecPosition pos, VecPosition pos2) : m_posLeftTop(0, 0, 0), m_posRightBottom(0, 0, 0) {
  setRectanglePoints(pos, pos2);
}

void Rect::show(std::ostream& os) const {
  os << "rect(" << m_posLeftTop << " " << m_posRightBottom << ")";
}

bool Rect::isInside(VecPosition pos) const {
  return pos.isBetweenX(m_posRightBottom, m_posLeftTop) &&
         pos.isBetweenY(m_posLeftTop, m_posRightBottom);
}

bool Rect::setRectanglePoints(VecPosition pos1, VecPosition pos2) {
  m_posLeftTop.setX(max(pos1.getX(), pos2.getX()));
  m_posLeftTop.setY(min(pos1.getY(), pos2.getY()));
  m_posRightBottom.setX(min(pos1.getX(), pos2.getX()));
  m_posRightBottom.setY(max(pos1.getY(), pos2.getY()));
  return true;
}

bool Rect::setPosLeftTop(VecPosition pos) {
  m_posLeftTop = pos;
  return true;
}
VecPosition Rect::getPosLeftTop() const {
  return m_posLeftTop;
}
bool Rect::setPosRightBottom(VecPosition pos) {
  m_posRightBottom = pos;
  return true;
}
VecPosition Rect::getPosRightBottom() const {
  return m_posRightBottom;
}

// ---------------------------------------------------------------------- Plane

Plane::Plane(VecPosition normal, VecPosition point) {
  setPlane(normal, point);
}

void Plane::show(std::ostream& os) const {
  os << "plane( norm(" << m_Normal << "), delta: " << m_Delta << ")";
}

bool Plane::setPlane(VecPosition normal, VecPosition point) {
  m_Normal = normal;
  m_Delta = -dot(point, normal);
  return true;
}

bool Plane::setPlaneNormal(VecPosition normal) {
  m_Normal = normal;
  return true;
}
VecPosition Plane::getPlaneNormal() const {
  return m_Normal;
}
bool Plane::setPlaneDelta(double delta) {
  m_Delta = delta;
  return true;
}
double Plane::getPlaneDelta() const {
  return m_Delta;
}

bool Plane::isInside(VecPosition pos) const {
  return dot(m_Normal, pos) == -m_Delta;
}

// ------------------------------------------------------------------- Geometry

double Geometry::getLengthGeomSeries(double dFirst, double dRatio, double dSum) {
  if (dRatio < 0) std::cerr << "(Geometry:getLengthGeomSeries): negative ratio\n";
  // No length reaches the sum when every term is 0.
  if (dFirst == 0) return -1;
  if (dRatio == 1) return dSum / dFirst;
  double t = (dRatio - 1) * dSum / dFirst + 1;
  if (t <= 0) return -1;
  return std::log(t) / std::log(dRatio);
}

double Geometry::getSumGeomSeries(double dFirst, double dRatio, double dLength) {
  if (dRatio == 1) return dFirst * dLength;
  return dFirst * (1 - std::pow(dRatio, dLength)) / (1 - dRatio);
}

double Geometry::getSumInfGeomSeries(double dFirst, double dRatio) {
  if (std::fabs(dRatio) >= 1) {
    std::cerr << "(Geometry:CalcLengthGeomSeries): series does not converge\n";
  }
  return dFirst / (1 - dRatio);
}

double Geometry::getFirstGeomSeries(double dSum, double dRatio, double dLength) {
  if (dRatio == 1) return dSum / dLength;
  return dSum * (1 - dRatio) / (1 - std::pow(dRatio, dLength));
}

double Geometry::getFirstInfGeomSeries(double dSum, double dRatio) {
  if (std::fabs(dRatio) >= 1) {
    std::cerr << "(Geometry:getFirstInfGeomSeries):series does not converge\n";
  }
  return dSum * (1 - dRatio);
}

int Geometry::abcFormula(double a, double b, double c, double* s1, double* s2) {
  if (a == 0) {
    // b*x + c = 0 has one root, or none (or every x) when b is 0 too.
    if (b == 0) return 0;
    *s1 = -c / b;
    return 1;
  }
  double discriminant = b * b - 4 * a * c;
  if (std::fabs(discriminant) < kEpsilon) {
    *s1 = -b / (2 * a);
    return 1;
  }
  if (discriminant < 0) return 0;
  double root = std::sqrt(discriminant);
  *s1 = (-b + root) / (2 * a);
  *s2 = (-b - root) / (2 * a);
  return 2;
}
