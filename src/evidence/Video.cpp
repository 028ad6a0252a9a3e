#include "evidence/Video.h"

#include "evidence/EvidenceTime.h"

Video::Video(std::unique_ptr<Camera> camera)
    : defaultTime(EvidenceTime::NullTime()), camera_(std::move(camera))
{
}

Video::~Video() = default;
