#pragma once
// What a still capture delivers: the picture as the camera encoded it.
#include <memory>
#include <string>

namespace platform::camera {

struct SampleBuffer {
    std::shared_ptr<const std::string> bytes;
    // False for a buffer the camera did not encode as JPEG.
    bool isJpeg = true;
};

}  // namespace platform::camera
