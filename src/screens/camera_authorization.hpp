#pragma once
// Whether the user lets the kit use the camera; no access request is made.
namespace vistrel {

// True only for an authorised status; not determined, restricted and denied are no.
bool cameraAccessAuthorized();

}  // namespace vistrel
