#include "evidence/Camera.h"

Camera::Camera(Device* device, int channel) : device_(device), channel_(channel) {}
Camera::~Camera() = default;
