#pragma once
// The screen shown while stored photos move into their files: a line of text. It
// starts the migration each time it appears; when the migration is done it records
// that in the preferences and closes; when it cannot finish it closes without
// recording, so that a later launch tries again.
#include <memory>

#include "vistrel/platform/ui/label.hpp"
#include "vistrel/platform/ui/view_controller.hpp"
#include "vistrel/store/migration_protocol.hpp"
#include "vistrel/store/persistance_controller.hpp"

namespace vistrel {

inline constexpr std::string_view kMigrationViewControllerIdentifier = "MigrationViewController";
inline constexpr std::string_view kToMigrationControllerSegue = "ToMigrationController";

class MigrationViewController : public platform::ui::ViewController, public MigrationProtocol {
public:
    explicit MigrationViewController(
        std::shared_ptr<PersistanceController> persistanceController = PersistanceController::shared())
        : persistanceController(std::move(persistanceController)) {}

    std::weak_ptr<platform::ui::Label> textLabel;
    const std::shared_ptr<PersistanceController> persistanceController;

    void loadView() override;
    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;

    void didFinishMigration() override;
    void didFailMigration() override;
};

}  // namespace vistrel
