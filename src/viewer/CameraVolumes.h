#pragma once

#include <map>

class Video;

// Each camera's last volume (0 ... 65535), full until set. The viewer sets it again after every
// audio enable, because sound-on resets the decoder's level, and the volume slider opens at it.
class CameraVolumes {
public:
    static constexpr int kInitialVolume = 65535;

    int Volume(const Video* camera) const
    {
        const auto it = volumes_.find(camera);
        return it == volumes_.end() ? kInitialVolume : it->second;
    }
    void Set(const Video* camera, int volume) { volumes_[camera] = volume; }
    // A closed camera's Video may be reused at the same address by the next file.
    void Forget(const Video* camera) { volumes_.erase(camera); }

private:
    std::map<const Video*, int> volumes_;
};
