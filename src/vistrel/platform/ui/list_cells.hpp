#pragma once
// What tables and collections share: cells waiting for reuse by identifier, the kinds
// of cell registered per identifier, and the cells on screen by index path, brought in
// line with the index paths in view.
#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/index_path.hpp"
#include "vistrel/platform/ui/view.hpp"

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

// The cells on screen by index path, and the one selected index path.
template <class Cell>
class VisibleCells {
public:
    using Map = std::map<IndexPath, std::shared_ptr<Cell>>;

    const Map& cells() const { return cells_; }
    std::shared_ptr<Cell> at(const IndexPath& path) const {
        auto it = cells_.find(path);
        return it == cells_.end() ? nullptr : it->second;
    }
    std::vector<std::shared_ptr<Cell>> list() const {
        std::vector<std::shared_ptr<Cell>> cells;
        for (const auto& entry : cells_) cells.push_back(entry.second);
        return cells;
    }
    std::vector<IndexPath> paths() const {
        std::vector<IndexPath> paths;
        for (const auto& entry : cells_) paths.push_back(entry.first);
        return paths;
    }

    // Cells whose index path is no longer wanted leave `list` and go to the queue. Each
    // wanted index path without a cell asks `make` for one (none leaves the place empty,
    // with a log line), which gets its frame, its selection and a place at the bottom of
    // `list`; then `show` is told. `wanted` is sorted.
    template <class Make, class FrameOf, class Show>
    void update(View& list, const std::vector<IndexPath>& wanted, ReuseQueue<Cell>& queue, Make&& make,
                FrameOf&& frameOf, Show&& show) {
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
            std::shared_ptr<Cell> cell = make(path);
            if (!cell) {
                log(concatenate("List :: the data source gave no cell for index ", path.row, " of section ",
                                path.section));
                continue;
            }
            cell->setFrame(frameOf(path));
            cell->setSelected(selected_ == path);
            list.insertSubview(cell, 0);
            cells_[path] = cell;
            show(path, *cell);
        }
    }

    // Every cell leaves (a reload): all go to the queue, and the selection is dropped.
    void clear(View& list, ReuseQueue<Cell>& queue) {
        selected_.reset();
        update(
            list, {}, queue, [](const IndexPath&) { return std::shared_ptr<Cell>{}; },
            [](const IndexPath&) { return Rect{}; }, [](const IndexPath&, Cell&) {});
    }

    std::optional<IndexPath> selected() const { return selected_; }
    void select(const IndexPath& path) {
        if (selected_ && *selected_ != path)
            if (auto old = at(*selected_)) old->setSelected(false);
        selected_ = path;
        if (auto cell = at(path)) cell->setSelected(true);
    }
    void deselect(const IndexPath& path) {
        if (selected_ != path) return;
        selected_.reset();
        if (auto cell = at(path)) cell->setSelected(false);
    }
    // A tap on `path`: the path selected before is deselected and `deselected` told of
    // it, then `path` is selected and `selected` told.
    template <class Deselected, class Selected>
    void tap(const IndexPath& path, Deselected&& deselected, Selected&& selected) {
        if (selected_ && *selected_ != path) {
            const IndexPath old = *selected_;
            deselect(old);
            deselected(old);
        }
        select(path);
        selected(path);
    }

private:
    Map cells_;
    std::optional<IndexPath> selected_;
};

}  // namespace platform::ui::detail
