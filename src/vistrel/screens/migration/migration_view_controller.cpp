#include "vistrel/screens/migration/migration_view_controller.hpp"

#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/core/vistrel_pref.hpp"
#include "vistrel/platform/ui/screen.hpp"

namespace vistrel {

void MigrationViewController::loadView() {
    using namespace platform::ui;
    auto bounds = Screen::main().bounds();
    auto view = std::make_shared<View>(bounds);
    view->setBackgroundColor(platform::graphics::Color::white());
    auto label = std::make_shared<Label>(platform::graphics::Rect{20, bounds.size.height / 2 - 30, bounds.size.width - 40, 60});
    label->setTextAlignment(TextAlignment::center);
    label->setNumberOfLines(0);
    view->addSubview(label);
    textLabel = label;
    setView(view);
}

void MigrationViewController::viewDidLoad() {
    ViewController::viewDidLoad();
    if (auto label = textLabel.lock()) label->setText(tr("migration.text"));
}

void MigrationViewController::viewDidAppear(bool animated) {
    ViewController::viewDidAppear(animated);
    auto self = std::dynamic_pointer_cast<MigrationViewController>(shared_from_this());
    persistanceController->migrateWithDelegate(self);
}

void MigrationViewController::didFinishMigration() {
    VistrelPref::setHasBeenMigrated(true);
    dismiss(true);
}

void MigrationViewController::didFailMigration() { dismiss(true); }

}  // namespace vistrel
