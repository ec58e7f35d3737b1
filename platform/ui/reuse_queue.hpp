#pragma once
// What tables and collections share: cells waiting for reuse by identifier, the kinds
// of cell registered per identifier, and the cells on screen by index path, brought in
// line with the index paths in view.
#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/index_path.hpp"

namespace platform::ui::detail {

template <class Cell>
class ReuseQueue {
public:
    using Factory = std::function<std::shared_ptr<Cell>()>;

    // A later registration for the identifier replaces the earlier one.
    void registerKind(const std::string& identifier, Factory factory) { kinds_[identifier] = std::move(factory); }

    // A queued cell, made ready for reuse; else a new one of the registered kind; else
    // a plain cell (never nothing). The cell carries the identifier.
    std::shared_ptr<Cell> dequeue(const std::string& identifier) {
        if (auto it = queued_.find(identifier); it != queued_.end() && !it->second.empty()) {
            auto cell = std::move(it->second.back());
            it->second.pop_back();
            cell->prepareForReuse();
            return cell;
        }
        std::shared_ptr<Cell> cell;
        if (auto kind = kinds_.find(identifier); kind != kinds_.end() && kind->second) cell = kind->second();
        if (!cell) cell = std::make_shared<Cell>();
        cell->setReuseIdentifier(identifier);
        return cell;
    }

    // A cell without an identifier cannot be asked for again and is let go.
    void enqueue(std::shared_ptr<Cell> cell) {
        if (!cell || cell->reuseIdentifier().empty()) return;
        queued_[cell->reuseIdentifier()].push_back(std::move(cell));
    }

    std::size_t queuedCount() const {
        std::size_t n = 0;
        for (const auto& [id, cells] : queued_) n += cells.size();
        return n;
    }

private:
    std::map<std::string, Factory> kinds_;
    std::map<std::string, std::vector<std::shared_ptr<Cell>>> queued_;
};

template <class Cell>
class VisibleCells {
public:
    using Map = std::map<IndexPath, std::shared_ptr<Cell>>;

    const Map& cells() const { return cells_; }
    std::shared_ptr<Cell> at(const IndexPath& path) const {
        auto it = cells_.find(path);
        return it == cells_.end() ? nullptr : it->second;
    }

    // Cells whose index path is no longer wanted leave their superview and go to the
    // queue; each wanted index path without a cell gets one from `make` (which may give
    // none), and `show` is called with it once it is on the list. `wanted` is sorted.
    template <class Make, class Show>
    void update(const std::vector<IndexPath>& wanted, ReuseQueue<Cell>& queue, Make&& make, Show&& show) {
        for (auto it = cells_.begin(); it != cells_.end();) {
            if (std::binary_search(wanted.begin(), wanted.end(), it->first)) {
                ++it;
                continue;
            }
            auto cell = std::move(it->second);
            it = cells_.erase(it);
            cell->removeFromSuperview();
            queue.enqueue(std::move(cell));
        }
        for (const auto& path : wanted) {
            if (cells_.count(path)) continue;
            auto cell = make(path);
            if (!cell) continue;
            cells_[path] = cell;
            show(path, *cell);
        }
    }

    // Every cell leaves (a reload): all go to the queue.
    void clear(ReuseQueue<Cell>& queue) {
        update({}, queue, [](const IndexPath&) { return std::shared_ptr<Cell>{}; }, [](const IndexPath&, Cell&) {});
    }

private:
    Map cells_;
};

}  // namespace platform::ui::detail
