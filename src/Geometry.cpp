#include "Geometry.h"

// Minimal part of the module; the rest of its operations follow.
VecPosition::VecPosition(double x, double y, double z, CoordSystemT cs) {
  setVecPosition(x, y, z, cs);
}

void VecPosition::setVecPosition(double dX, double dY, double dZ, CoordSystemT) {
  m_x = dX;
  m_y = dY;
  m_z = dZ;
}

VecPosition VecPosition::operator-(const VecPosition& p) const {
  return VecPosition(m_x - p.m_x, m_y - p.m_y, m_z - p.m_z);
}

bool VecPosition::setX(double dX) {
  m_x = dX;
  return true;
}
double VecPosition::getX() const { return m_x; }
bool VecPosition::setY(double dY) {
  m_y = dY;
  return true;
}
double VecPosition::getY() const { return m_y; }
bool VecPosition::setZ(double dZ) {
  m_z = dZ;
  return true;
}
double VecPosition::getZ() const { return m_z; }
