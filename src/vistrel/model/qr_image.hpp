#pragma once
// Images and actions made on the device from the payloads of QR codes: the payload's
// kind is found by the words it contains, in any case and anywhere in it ("HTTP", then
// "SMSTO", then "TEL"; otherwise text). Where such an address may be opened is decided
// when the action is launched, not here. Image::fromQrcodeFeatures,
// Action::fromZbarData and Action::fromCodeUrl are defined with this classification.
#include <string>
#include <string_view>

#include "vistrel/model/action.hpp"
#include "vistrel/model/action_type.hpp"
#include "vistrel/model/image.hpp"

namespace vistrel {

// A payload's kind and the text its action carries.
struct QrPayload {
    ActionType type;
    std::string data;  // the whole payload, or for SMS and telephone codes the number

    friend bool operator==(const QrPayload&, const QrPayload&) = default;
};

// The kind of a payload and its data: a web address or plain text carries the whole
// payload; an SMS or telephone code the text between its first ":" and the next one
// (or the end), spaces kept, possibly empty. An SMS or telephone code without any ":"
// carries no number, so it is kept as text with the whole payload.
QrPayload classifyQrPayload(std::string_view payload);

}  // namespace vistrel
