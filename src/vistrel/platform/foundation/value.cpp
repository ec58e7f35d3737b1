#include "vistrel/platform/foundation/value.hpp"

#include <algorithm>
#include <bit>
#include <cassert>

namespace platform {

double Number::asDouble() const {
    switch (kind_) {
    case Kind::Int: return static_cast<double>(i_);
    case Kind::UInt: return static_cast<double>(u_);
    case Kind::Double: return d_;
    }
    return 0;
}

bool Number::asBool() const {
    switch (kind_) {
    case Kind::Int: return i_ != 0;
    case Kind::UInt: return u_ != 0;
    case Kind::Double: return d_ != 0;
    }
    return false;
}

bool operator==(const Number& a, const Number& b) {
    if (a.isBool_ || b.isBool_) return a.isBool_ == b.isBool_ && a.i_ == b.i_;
    using K = Number::Kind;
    if (a.kind_ == K::Double || b.kind_ == K::Double) return a.asDouble() == b.asDouble();
    if (a.kind_ == b.kind_) return a.i_ == b.i_;  // same bits for Int/Int and UInt/UInt
    const Number& s = a.kind_ == K::Int ? a : b;
    const Number& u = a.kind_ == K::Int ? b : a;
    return s.i_ >= 0 && static_cast<std::uint64_t>(s.i_) == u.u_;
}

namespace {
bool keyLess(const Dictionary::Entry& e, std::string_view key) { return e.first < key; }
}  // namespace

Dictionary::Dictionary(std::vector<Entry> entries) {
    // A stable sort keeps document order among equal keys, so the last one can win.
    // Objects read from documents are mostly small: those are sorted in place, without
    // the temporary buffer std::stable_sort allocates.
    auto byKey = [](const Entry& a, const Entry& b) { return a.first < b.first; };
    if (!std::is_sorted(entries.begin(), entries.end(), byKey)) {
        if (entries.size() <= 16) {
            for (std::size_t i = 1; i < entries.size(); ++i) {
                if (!byKey(entries[i], entries[i - 1])) continue;
                Entry moving = std::move(entries[i]);
                std::size_t j = i;
                for (; j > 0 && byKey(moving, entries[j - 1]); --j)
                    entries[j] = std::move(entries[j - 1]);
                entries[j] = std::move(moving);
            }
        } else {
            std::stable_sort(entries.begin(), entries.end(), byKey);
        }
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (kept > 0 && entries[kept - 1].first == entries[i].first) {
            entries[kept - 1].second = std::move(entries[i].second);
        } else {
            if (kept != i) entries[kept] = std::move(entries[i]);
            ++kept;
        }
    }
    entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(kept), entries.end());
    entries_ = std::move(entries);
}

Dictionary Dictionary::fromSortedEntries(std::vector<Entry> entries) {
    assert(std::adjacent_find(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
               return !(a.first < b.first);
           }) == entries.end());
    Dictionary d;
    d.entries_ = std::move(entries);
    return d;
}

const Value* Dictionary::find(std::string_view key) const {
    // Small objects, the usual case, are scanned: comparing lengths first leaves few
    // text comparisons, fewer than a binary search makes.
    if (entries_.size() <= 16) {
        for (const Entry& e : entries_)
            if (e.first.size() == key.size() && (key.empty() || e.first[0] == key[0]) && e.first == key)
                return &e.second;
        return nullptr;
    }
    auto it = std::lower_bound(entries_.begin(), entries_.end(), key, keyLess);
    return it != entries_.end() && it->first == key ? &it->second : nullptr;
}

Value* Dictionary::find(std::string_view key) {
    return const_cast<Value*>(static_cast<const Dictionary&>(*this).find(key));
}

void Dictionary::set(std::string key, Value value) {
    auto it = std::lower_bound(entries_.begin(), entries_.end(), key, keyLess);
    if (it != entries_.end() && it->first == key)
        it->second = std::move(value);
    else
        entries_.emplace(it, std::move(key), std::move(value));
}

bool Dictionary::erase(std::string_view key) {
    auto it = std::lower_bound(entries_.begin(), entries_.end(), key, keyLess);
    if (it == entries_.end() || it->first != key) return false;
    entries_.erase(it);
    return true;
}

bool operator==(const Dictionary& a, const Dictionary& b) {
    return Value(a) == Value(b);
}

namespace {
template <typename T, typename Variant>
const T* boxed(const Variant& v) {
    auto p = std::get_if<SharedBox<T>>(&v);
    return p ? p->get() : nullptr;
}
template <typename T, typename Variant>
T* boxedForWriting(Variant& v) {
    auto p = std::get_if<SharedBox<T>>(&v);
    return p ? p->mutableGet() : nullptr;
}
}  // namespace

Value Value::sharedText(std::string text) {
    Value value;
    if (text.size() > inlineTextBytes) value.v_.emplace<SharedBox<std::string>>(std::move(text));
    else value.v_.emplace<std::string>(std::move(text));
    return value;
}

std::string* Value::mutableString() {
    if (std::string* inline_ = std::get_if<std::string>(&v_)) return inline_;
    return boxedForWriting<std::string>(v_);
}

const Array* Value::array() const { return boxed<Array>(v_); }
const Dictionary* Value::dictionary() const { return boxed<Dictionary>(v_); }
const Opaque* Value::opaque() const { return boxed<Opaque>(v_); }
const Bytes* Value::data() const { return boxed<Bytes>(v_); }
const void* Value::sharedLeafStorage() const {
    if (const auto* text = std::get_if<SharedBox<std::string>>(&v_)) return text->unique() ? nullptr : text->get();
    if (const auto* bytes = std::get_if<SharedBox<Bytes>>(&v_)) return bytes->unique() ? nullptr : bytes->get();
    return nullptr;
}
Array* Value::mutableArray() { return boxedForWriting<Array>(v_); }
Dictionary* Value::mutableDictionary() { return boxedForWriting<Dictionary>(v_); }

namespace {
// Containers nested deeper than this below the one being destroyed are torn down from
// a work list instead of by recursion.
constexpr std::size_t recursiveTeardownDepth = 64;
}  // namespace

void Value::releaseContainer() noexcept {
    auto soleArray = [](Value& v) -> Array* {
        auto p = std::get_if<SharedBox<Array>>(&v.v_);
        return p && p->unique() ? p->mutableGet() : nullptr;
    };
    auto soleDictionary = [](Value& v) -> Dictionary* {
        auto p = std::get_if<SharedBox<Dictionary>>(&v.v_);
        return p && p->unique() ? p->mutableGet() : nullptr;
    };
    // A shared or moved-from container only drops its reference, in ~variant.
    if (!soleArray(*this) && !soleDictionary(*this)) return;

    // Documents are shallow: their children die by plain recursion, counted.
    thread_local std::size_t depth = 0;
    if (depth < recursiveTeardownDepth) {
        ++depth;
        v_ = std::monostate{};
        --depth;
        return;
    }

    // Deeper, every nested container this value owns alone is moved onto a work list
    // first, so that each destruction below is shallow.
    std::vector<Value> pending;
    auto drain = [&](Value& v) {
        if (Array* a = soleArray(v)) {
            for (auto& c : *a)
                if (c.array() || c.dictionary()) pending.push_back(std::move(c));
        } else if (Dictionary* d = soleDictionary(v)) {
            for (auto& e : *d) {
                Value& c = const_cast<Value&>(e.second);
                if (c.array() || c.dictionary()) pending.push_back(std::move(c));
            }
        }
    };
    drain(*this);
    while (!pending.empty()) {
        Value v = std::move(pending.back());
        pending.pop_back();
        drain(v);
        // v now holds no nested containers it owns alone: its destruction is shallow.
    }
}

bool operator==(const Value& a, const Value& b) {
    std::vector<std::pair<const Value*, const Value*>> work{{&a, &b}};
    while (!work.empty()) {
        auto [x, y] = work.back();
        work.pop_back();
        if (x->type() != y->type()) return false;
        switch (x->type()) {
        case Value::Type::Null: break;
        case Value::Type::Number:
            if (!(*x->number() == *y->number())) return false;
            break;
        case Value::Type::String:
            if (x->string() != y->string() && *x->string() != *y->string()) return false;
            break;
        case Value::Type::Opaque:
            if (!(*x->opaque() == *y->opaque())) return false;
            break;
        case Value::Type::Data:
            if (x->data() != y->data() && *x->data() != *y->data()) return false;
            break;
        case Value::Type::Date:
            if (*x->date() != *y->date()) return false;
            if (x->dateSecondsSince2001().has_value() != y->dateSecondsSince2001().has_value() ||
                std::bit_cast<std::uint64_t>(x->dateSecondsSince2001().value_or(0)) !=
                    std::bit_cast<std::uint64_t>(y->dateSecondsSince2001().value_or(0)))
                return false;
            break;
        case Value::Type::Array: {
            const Array& xa = *x->array();
            const Array& ya = *y->array();
            if (&xa == &ya) break;
            if (xa.size() != ya.size()) return false;
            for (std::size_t i = 0; i < xa.size(); ++i) work.emplace_back(&xa[i], &ya[i]);
            break;
        }
        case Value::Type::Dictionary: {
            const Dictionary& xd = *x->dictionary();
            const Dictionary& yd = *y->dictionary();
            if (&xd == &yd) break;
            if (xd.size() != yd.size()) return false;
            for (auto xi = xd.begin(), yi = yd.begin(); xi != xd.end(); ++xi, ++yi) {
                if (xi->first != yi->first) return false;
                work.emplace_back(&xi->second, &yi->second);
            }
            break;
        }
        }
    }
    return true;
}

}  // namespace platform
