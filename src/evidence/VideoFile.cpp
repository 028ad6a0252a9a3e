#include "evidence/VideoFile.h"

VideoFile::VideoFile() = default;
VideoFile::~VideoFile() = default;
