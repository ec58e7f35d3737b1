#pragma once
// What the photo migration tells the screen that started it.
namespace vistrel {

class MigrationProtocol {
public:
    virtual ~MigrationProtocol() = default;
    // Every stored photo is in its file (or can never be read): the migration is done.
    virtual void didFinishMigration() = 0;
    // The records could not be read, or some photos could not be moved yet: the
    // migration is to be tried again at a later launch.
    virtual void didFailMigration() {}
};

}  // namespace vistrel
