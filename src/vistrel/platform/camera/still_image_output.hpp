#pragma once
// A still-image output: once attached to a session it has a video connection, and each
// capture request calls back once, on the output's own serial queue (never on the
// caller's thread), with a sample buffer or an error.
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "vistrel/platform/camera/camera_types.hpp"
#include "vistrel/platform/camera/sample_buffer.hpp"
#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/foundation/error.hpp"

namespace platform::camera {

class CaptureConnection;
class CaptureSession;

// The output settings' codec key and its JPEG value.
inline constexpr std::string_view videoCodecKey = "VideoCodec";
inline constexpr std::string_view videoCodecJPEG = "jpeg";

class StillImageOutput : public std::enable_shared_from_this<StillImageOutput> {
public:
    using OutputSettings = std::map<std::string, std::string, std::less<>>;
    using CaptureHandler = std::function<void(std::optional<SampleBuffer> buffer, std::optional<Error> error)>;

    StillImageOutput();
    StillImageOutput(const StillImageOutput&) = delete;
    StillImageOutput& operator=(const StillImageOutput&) = delete;

    OutputSettings outputSettings() const;
    void setOutputSettings(OutputSettings settings);

    // The output's connection for the media type; none before it is attached to a session.
    std::shared_ptr<CaptureConnection> connection(MediaType mediaType) const;

    // Takes the next still through `connection`, which must be this output's and active
    // on a running session; otherwise the handler gets an error and no buffer.
    void captureStillImageAsynchronously(const std::shared_ptr<CaptureConnection>& connection, CaptureHandler handler);

    // The JPEG bytes of a buffer; none when the buffer holds no JPEG picture.
    static std::optional<std::string> jpegStillImageDataRepresentation(const SampleBuffer& buffer);

    // The queue the capture handlers run on.
    const dispatch::Queue& deliveryQueue() const { return queue_; }

private:
    friend class CaptureSession;
    bool isAttached() const;
    // Gives the output its connection to `session`; false when it already has one.
    bool attach(const std::shared_ptr<CaptureSession>& session);

    dispatch::Queue queue_;
    mutable std::mutex mutex_;
    OutputSettings settings_;
    std::shared_ptr<CaptureConnection> connection_;
};

}  // namespace platform::camera
