#include "driver/KestraneLocalFileData.h"

KestraneLocalFileData::KestraneLocalFileData() = default;
KestraneLocalFileData::~KestraneLocalFileData() = default;
