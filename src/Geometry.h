// Vectors, angles in degrees, and two-dimensional shapes.
//
// Every angle in the agent is in degrees (AngDeg); radians exist only inside
// the trigonometric helpers below.
#ifndef VEXA_GEOMETRY_H
#define VEXA_GEOMETRY_H

#include <iosfwd>
#include <string>

typedef double AngDeg;
typedef float Time;

enum CoordSystemT { CARTESIAN = 0, POLAR = 1 };

double sign(double x);
double max(double a, double b);
double min(double a, double b);
AngDeg Rad2Deg(double x);
double Deg2Rad(AngDeg x);
double cosDeg(AngDeg a);
double sinDeg(AngDeg a);
double tanDeg(AngDeg a);
AngDeg atanDeg(double x);
AngDeg atan2Deg(double y, double x);
AngDeg asinDeg(double x);
AngDeg acosDeg(double x);
bool isAngInInterval(AngDeg ang, AngDeg angMin, AngDeg angMax);
AngDeg getBisectorTwoAngles(AngDeg angMin, AngDeg angMax);

class VecPosition {
 public:
  VecPosition(double x = 0, double y = 0, double z = 0, CoordSystemT cs = CARTESIAN);

  VecPosition operator-() const;
  VecPosition operator+(const double& d) const;
  VecPosition operator+(const VecPosition& p) const;
  VecPosition operator-(const double& d) const;
  VecPosition operator-(const VecPosition& p) const;
  VecPosition operator*(const double& d) const;
  VecPosition operator*(const VecPosition& p) const;
  VecPosition operator/(const double& d) const;
  VecPosition operator/(const VecPosition& p) const;
  void operator=(const double& d);
  VecPosition& operator=(const VecPosition& p) = default;
  VecPosition(const VecPosition& p) = default;
  void operator+=(const VecPosition& p);
  void operator+=(const double& d);
  void operator-=(const VecPosition& p);
  void operator-=(const double& d);
  void operator*=(const VecPosition& p);
  void operator*=(const double& d);
  void operator/=(const VecPosition& p);
  void operator/=(const double& d);
  bool operator!=(const VecPosition& p) const;
  bool operator!=(const double& d) const;
  bool operator==(const VecPosition& p) const;
  bool operator==(const double& d) const;

  friend std::ostream& operator<<(std::ostream& os, VecPosition p);
  void show(CoordSystemT cs = CARTESIAN) const;
  std::string str(CoordSystemT cs = CARTESIAN) const;

  bool setX(double dX);
  double getX() const;
  bool setY(double dY);
  double getY() const;
  bool setZ(double dZ);
  double getZ() const;

  void setVecPosition(double dX = 0, double dY = 0, double dZ = 0, CoordSystemT cs = CARTESIAN);
  double getDistanceTo(const VecPosition p) const;
  VecPosition setMagnitude(double d);
  double getMagnitude() const;
  AngDeg getDirection() const;
  AngDeg getTheta() const;
  AngDeg getPhi() const;

  bool isInFrontOf(const VecPosition& p) const;
  bool isInFrontOf(const double& d) const;
  bool isBehindOf(const VecPosition& p) const;
  bool isBehindOf(const double& d) const;
  bool isLeftOf(const VecPosition& p) const;
  bool isLeftOf(const double& d) const;
  bool isRightOf(const VecPosition& p) const;
  bool isRightOf(const double& d) const;
  bool isUpOf(const VecPosition& p) const;
  bool isUpOf(const double& d) const;
  bool isDownOf(const VecPosition& p) const;
  bool isDownOf(const double& d) const;
  bool isBetweenX(const VecPosition& p1, const VecPosition& p2) const;
  bool isBetweenX(const double& d1, const double& d2) const;
  bool isBetweenY(const VecPosition& p1, const VecPosition& p2) const;
  bool isBetweenY(const double& d1, const double& d2) const;
  bool isBetweenZ(const VecPosition& p1, const VecPosition& p2) const;
  bool isBetweenZ(const double& d1, const double& d2) const;

  VecPosition normalize();
  VecPosition rotate(AngDeg angle);
  VecPosition globalToRelative(VecPosition orig, AngDeg ang);
  VecPosition relativeToGlobal(VecPosition orig, AngDeg ang);
  VecPosition getVecPositionOnLineFraction(const VecPosition& p, double dFrac) const;

  static VecPosition getVecPositionFromPolar(double dMag, AngDeg theta, AngDeg phi);
  static AngDeg normalizeAngle(AngDeg angle);

 private:
  double m_x;
  double m_y;
  double m_z;
};

// (-1000, -1000, -1000): a position that is not known.
const VecPosition UnknownPosition(-1000.0, -1000.0, -1000.0);

class Circle;

// The line a*y + b*x + c = 0 (a multiplies y, b multiplies x); a vertical
// line has a = 0.
class Line {
 public:
  Line(double a, double b, double c);

  friend std::ostream& operator<<(std::ostream& os, Line l);
  void show(std::ostream& os) const;

  VecPosition getIntersection(Line line) const;
  int getCircleIntersectionPoints(Circle circle, VecPosition* posSolution1,
                                  VecPosition* posSolution2) const;
  Line getTangentLine(VecPosition pos) const;
  VecPosition getPointOnLineClosestTo(VecPosition pos) const;
  double getDistanceWithPoint(VecPosition pos) const;
  bool isInBetween(VecPosition pos, VecPosition point1, VecPosition point2) const;

  double getYGivenX(double x) const;
  double getXGivenY(double y) const;
  double getACoefficient() const;
  double getBCoefficient() const;
  double getCCoefficient() const;

  static Line makeLineFromTwoPoints(VecPosition pos1, VecPosition pos2);
  static Line makeLineFromPositionAndAngle(VecPosition vec, AngDeg angle);

 private:
  double m_a;
  double m_b;
  double m_c;
};

class Circle {
 public:
  Circle();
  Circle(VecPosition pos, double dR);

  void show(std::ostream& os) const;

  bool setCircle(VecPosition pos, double dR);
  bool setRadius(double dR);
  double getRadius() const;
  bool setCenter(VecPosition pos);
  VecPosition getCenter() const;
  double getCircumference() const;
  double getArea() const;
  double getVolume() const;
  bool isInside(VecPosition pos, bool bCircle) const;
  int getCircleIntersectionPoints(Circle c, VecPosition* p1, VecPosition* p2) const;
  double getIntersectionArea(Circle c, bool bStrict) const;

 private:
  VecPosition m_posCenter;
  double m_dRadius;
};

// Axis-aligned rectangle: the left-top corner holds the larger x and the
// smaller y, the right-bottom corner the smaller x and the larger y.
class Rect {
 public:
  Rect(VecPosition pos, VecPosition pos2);

  void show(std::ostream& os) const;

  bool isInside(VecPosition pos) const;
  bool setRectanglePoints(VecPosition pos1, VecPosition pos2);
  bool setPosLeftTop(VecPosition pos);
  VecPosition getPosLeftTop() const;
  bool setPosRightBottom(VecPosition pos);
  VecPosition getPosRightBottom() const;

 private:
  VecPosition m_posLeftTop;
  VecPosition m_posRightBottom;
};

// The points p with normal . p + delta = 0.
class Plane {
 public:
  Plane(VecPosition normal, VecPosition point);

  void show(std::ostream& os) const;

  bool setPlane(VecPosition normal, VecPosition point);
  bool setPlaneNormal(VecPosition normal);
  VecPosition getPlaneNormal() const;
  bool setPlaneDelta(double delta);
  double getPlaneDelta() const;
  bool isInside(VecPosition pos) const;

 private:
  double m_Delta;
  VecPosition m_Normal;
};

class Geometry {
 public:
  static double getLengthGeomSeries(double dFirst, double dRatio, double dSum);
  static double getSumGeomSeries(double dFirst, double dRatio, double dLength);
  static double getSumInfGeomSeries(double dFirst, double dRatio);
  static double getFirstGeomSeries(double dSum, double dRatio, double dLength);
  static double getFirstInfGeomSeries(double dSum, double dRatio);
  static int abcFormula(double a, double b, double c, double* s1, double* s2);
};

#endif
