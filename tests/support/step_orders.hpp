#pragma once
// The orders in which a few actors (processes stopped at each of their steps, say) may
// take their steps, run one after another: the caller makes a run, and at each point where
// more than one actor could go on asks which one does.
//
// The choices of the runs so far make a tree; an order is a path from its root to the end
// of a run. Each run draws, at every point, one of the actors whose choice still leads to
// an order not run yet (seeded, so that a run of the test is the same each time), and so
// runs an order of its own: all of them where there are no more than the budget, else a
// random sample of that many. The actors' steps must follow from the choices alone, as
// they do for runs over fresh folders; a run that does not is counted (diverged()).
//
// How many orders there are is known once every one was run; until then it is estimated:
// what was run, and for what is left the product of the choices left along each run's path
// (drawn so, that product is on average the number of orders left).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace testsupport {

class StepOrders {
public:
    // At most `budget` runs, the choices drawn from `seed`.
    StepOrders(std::size_t budget, std::uint64_t seed) : budget_(budget), random_(seed), nodes_(1) {}

    // Whether another run is to be made: the budget is not spent and some order was not run.
    bool another() const { return runs_ < budget_ && !nodes_[0].closed; }

    // At a point of the run: which of the actors that can go on (`ready`, not empty) goes on.
    int choose(const std::vector<int>& ready) {
        Node* node = &nodes_[path_.back()];
        if (node->ready != ready) {
            if (!node->ready.empty() || node->closed) ++diverged_;  // the same choices led elsewhere before
            node->ready = ready;
            node->next.assign(ready.size(), kNone);
            node->closed = false;
        }
        std::vector<std::size_t> open;
        for (std::size_t i = 0; i < ready.size(); ++i)
            if (node->next[i] == kNone || !nodes_[node->next[i]].closed) open.push_back(i);
        if (open.empty())  // only after a divergence: any will do
            for (std::size_t i = 0; i < ready.size(); ++i) open.push_back(i);
        left_ *= static_cast<double>(open.size());
        const std::size_t choice = open[std::uniform_int_distribution<std::size_t>(0, open.size() - 1)(random_)];
        if (node->next[choice] == kNone) {
            node->next[choice] = nodes_.size();
            nodes_.emplace_back();  // `node` may move with it
        }
        path_.push_back(nodes_[path_.back()].next[choice]);
        order_ += static_cast<char>('a' + ready[choice]);
        return ready[choice];
    }

    // The run is over.
    void finish() {
        ++runs_;
        estimate_ += static_cast<double>(closedOrders_) + left_;
        Node& end = nodes_[path_.back()];
        if (!end.ready.empty()) ++diverged_;  // ended where the same choices went on before
        if (!end.closed) ++closedOrders_;
        end.closed = true;
        // Every choice before it whose choices have all been run is closed too.
        for (std::size_t i = path_.size() - 1; i-- > 0;) {
            Node& node = nodes_[path_[i]];
            node.closed = std::all_of(node.next.begin(), node.next.end(),
                                      [&](std::size_t next) { return next != kNone && nodes_[next].closed; });
            if (!node.closed) break;
        }
        path_.assign(1, 0);
        order_.clear();
        left_ = 1;
    }

    // Whether every order was run.
    bool everyOrder() const { return nodes_[0].closed; }
    // How many orders there are: exactly when every one was run, else as estimated.
    double possible() const {
        if (everyOrder() || runs_ == 0) return static_cast<double>(closedOrders_);
        return std::max(static_cast<double>(closedOrders_), estimate_ / static_cast<double>(runs_));
    }
    std::size_t runs() const { return runs_; }
    // Runs whose actors did not take the steps the same choices gave them before.
    std::size_t diverged() const { return diverged_; }
    // The run's choices so far, an actor a letter ('a' the first).
    const std::string& order() const { return order_; }

private:
    static constexpr std::size_t kNone = SIZE_MAX;
    struct Node {
        std::vector<int> ready;          // the actors that could go on there; none at an end
        std::vector<std::size_t> next;   // the point each leads to (kNone: not run yet)
        bool closed = false;             // every order through it was run
    };

    std::size_t budget_;
    std::mt19937_64 random_;
    std::vector<Node> nodes_;  // the root first
    std::vector<std::size_t> path_{0};
    std::string order_;
    std::size_t runs_ = 0, diverged_ = 0, closedOrders_ = 0;
    double left_ = 1, estimate_ = 0;
};

}  // namespace testsupport
