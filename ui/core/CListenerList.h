// Delegates and listener lists: a control's init, destroy, size, event and notify hooks. Each
// delegate takes one pointer (the control, the event record or the notification) and answers
// bool; a list calls its members in order and answers false as soon as one does.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace SkinUI {

class CDelegateBase {
public:
    virtual ~CDelegateBase() = default;
    virtual bool Invoke(void* param) = 0;
    virtual std::unique_ptr<CDelegateBase> Copy() const = 0;
    // Same target (object and function): lets a list remove what was added.
    virtual bool Equals(const CDelegateBase& other) const = 0;
    bool operator()(void* param) { return Invoke(param); }
};

class CFunctionDelegate : public CDelegateBase {
public:
    using Function = bool (*)(void*);
    explicit CFunctionDelegate(Function fn) : fn_(fn) {}
    bool Invoke(void* param) override { return fn_(param); }
    std::unique_ptr<CDelegateBase> Copy() const override {
        return std::make_unique<CFunctionDelegate>(fn_);
    }
    bool Equals(const CDelegateBase& other) const override {
        auto* same = dynamic_cast<const CFunctionDelegate*>(&other);
        return same != nullptr && same->fn_ == fn_;
    }

private:
    Function fn_;
};

template <class Object>
class CMemberDelegate : public CDelegateBase {
public:
    using Method = bool (Object::*)(void*);
    CMemberDelegate(Object* object, Method method) : object_(object), method_(method) {}
    bool Invoke(void* param) override { return (object_->*method_)(param); }
    std::unique_ptr<CDelegateBase> Copy() const override {
        return std::make_unique<CMemberDelegate>(object_, method_);
    }
    bool Equals(const CDelegateBase& other) const override {
        auto* same = dynamic_cast<const CMemberDelegate*>(&other);
        return same != nullptr && same->object_ == object_ && same->method_ == method_;
    }

private:
    Object* object_;
    Method method_;
};

inline CFunctionDelegate MakeDelegate(bool (*fn)(void*)) {
    return CFunctionDelegate(fn);
}
template <class Object>
CMemberDelegate<Object> MakeDelegate(Object* object, bool (Object::*method)(void*)) {
    return CMemberDelegate<Object>(object, method);
}

class CListenerList {
public:
    CListenerList() = default;
    CListenerList(const CListenerList&) = delete;
    CListenerList& operator=(const CListenerList&) = delete;

    void operator+=(const CDelegateBase& delegate) { delegates_.push_back(delegate.Copy()); }
    // Removes the first delegate with the same target.
    void operator-=(const CDelegateBase& delegate) {
        for (auto it = delegates_.begin(); it != delegates_.end(); ++it) {
            if ((*it)->Equals(delegate)) {
                delegates_.erase(it);
                return;
            }
        }
    }
    bool IsSet() const { return !delegates_.empty(); }
    explicit operator bool() const { return IsSet(); }

    // Calls every member in order; false as soon as one answers false.
    bool operator()(void* param) {
        // Index loop: a listener may add to the list while it runs.
        for (std::size_t i = 0; i < delegates_.size(); ++i) {
            if (!delegates_[i]->Invoke(param)) {
                return false;
            }
        }
        return true;
    }

private:
    std::vector<std::unique_ptr<CDelegateBase>> delegates_;
};

}  // namespace SkinUI
