#pragma once
// A host stopped while it holds the store's write lock, as an app suspended mid-save is:
// for the tests, the benchmarks and the demo, run in a child process that is killed once
// it has served.
#include <chrono>
#include <memory>

#include "noisy_picture.hpp"
#include "stopped_runs.hpp"
#include "vistrel/store/persistance_controller.hpp"

namespace testsupport {

// Records a scan through the store and stops at its record's save, the lock held: a
// signal given there on `signalFd`, then one waited for on `waitFd` (ProcessSignal ends).
inline void recordAndHoldTheStore(vistrel::PersistanceController& store, int signalFd, int waitFd) {
    StepActions actions;
    actions.meetAt = "record: saving";
    actions.signalFd = signalFd;
    actions.waitFd = waitFd;
    actAtSteps(actions);
    store.loadOrCreateVistrelImage("doc", "held", "t", noisyPicture(1),
                                   vistrel::Date(std::chrono::seconds(1'700'000'000)));
    stopActingAtSteps();
}

}  // namespace testsupport
