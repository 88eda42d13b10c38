// COptionUI: selection, radio groups through the manager's option-group table, and the
// selected pictures and colours.
#include "ui/controls/COptionUI.h"

#include <cstring>
#include <vector>

#include "ui/controls/AttributeValue.h"
#include "ui/controls/CRenderer.h"
#include "ui/core/CWindowManagerUI.h"

namespace SkinUI {

COptionUI::~COptionUI() {
    LeaveGroup();
}

LPCSTR COptionUI::GetTypeName() const {
    return "OptionUI";
}

void* COptionUI::QueryType(LPCSTR name) {
    if (std::strcmp(name, "Option") == 0) return this;
    return CButtonUI::QueryType(name);
}

bool COptionUI::Activate() {
    if (!CButtonUI::Activate()) return false;
    Select(group_.empty() ? !selected_ : true);
    return true;
}

void COptionUI::AttachManager(CWindowManagerUI* manager, CControlUI* parent, bool initialise) {
    CButtonUI::AttachManager(manager, parent, initialise);
    if (initialise) JoinGroup(manager_);
}

void COptionUI::JoinGroup(CWindowManagerUI* manager) {
    if (manager == nullptr || group_.empty()) return;
    if (groupManager_ != manager) LeaveGroup();  // one manager's group at a time
    manager->AddOptionGroup(group_, this);
    groupManager_ = manager;
}

void COptionUI::LeaveGroup() {
    if (groupManager_ != nullptr && !group_.empty()) groupManager_->RemoveOptionGroup(group_, this);
    groupManager_ = nullptr;
}

void COptionUI::ForgetGroupManager(CWindowManagerUI* manager) {
    if (groupManager_ == manager) groupManager_ = nullptr;
}

void COptionUI::SetEnabled(bool enabled) {
    CButtonUI::SetEnabled(enabled);
    if (!IsEnabled()) state_ = selected_ ? UINT{ButtonSelected} : 0u;
}

void COptionUI::SetGroup(const std::string& group) {
    if (group == group_) return;
    LeaveGroup();
    group_ = group;
    JoinGroup(manager_);
    Select(selected_);
}

void COptionUI::Select(bool selected) {
    if (selected == selected_) return;
    selected_ = selected;
    state_ = selected ? (state_ | ButtonSelected) : (state_ & ~ButtonSelected);
    if (manager_ != nullptr) {
        if (group_.empty()) {
            manager_->SendNotify(this, "selectchanged");
        } else if (selected) {
            // A copy: a member's handling may change the group while it is walked.
            const std::vector<CControlUI*>* members = manager_->GetOptionGroup(group_);
            const std::vector<CControlUI*> others =
                members != nullptr ? *members : std::vector<CControlUI*>();
            for (CControlUI* other : others) {
                if (other == this) continue;
                if (auto* option = static_cast<COptionUI*>(other->QueryType("Option"))) {
                    option->Select(false);
                }
            }
            manager_->SendNotify(this, "selectchanged");
        }
    }
    Invalidate();
}

void COptionUI::ApplyAttribute(LPCSTR name, LPCSTR value) {
    auto is = [name](const char* attribute) { return std::strcmp(name, attribute) == 0; };
    if (is("group")) {
        SetGroup(value);
    } else if (is("selected")) {
        Select(AttributeIsTrue(value));
    } else if (is("selectedimage")) {
        SetSelectedImage(value);
    } else if (is("selectedhotimage")) {
        SetSelectedHotImage(value);
    } else if (is("foreimage")) {
        SetOptionForeImage(value);
    } else if (is("selectedbkcolor")) {
        selectedBackColor_ = ReadColorNoSkip(value);
    } else if (is("selectedtextcolor")) {
        selectedTextColor_ = ReadColorNoSkip(value);
    } else {
        CButtonUI::ApplyAttribute(name, value);
    }
}

void COptionUI::SetSelectedImage(const std::string& image) {
    selectedImage_ = image;
    Invalidate();
}
void COptionUI::SetSelectedHotImage(const std::string& image) {
    selectedHotImage_ = image;
    Invalidate();
}
void COptionUI::SetOptionForeImage(const std::string& image) {
    optionForeImage_ = image;
    Invalidate();
}

void COptionUI::PaintStateImage(HDC dc) {
    state_ &= ~ButtonPushed;  // an option shows selection, not the press
    if ((state_ & ButtonHot) && selected_ && !selectedHotImage_.empty()) {
        if (!DrawOrDrop(dc, selectedHotImage_)) CButtonUI::PaintStateImage(dc);
    } else if (selected_) {
        if (!selectedImage_.empty()) {
            if (!DrawOrDrop(dc, selectedImage_)) CButtonUI::PaintStateImage(dc);
        } else if (selectedBackColor_ != 0) {
            CRenderer::DrawColor(dc, paintRect_, AdjustColor(selectedBackColor_));
            return;
        } else {
            CButtonUI::PaintStateImage(dc);
        }
    } else {
        CButtonUI::PaintStateImage(dc);
    }
    if (!optionForeImage_.empty()) DrawOrDrop(dc, optionForeImage_);
}

void COptionUI::PaintText(HDC dc) {
    if (!selected_) return CButtonUI::PaintText(dc);
    RefreshStateBits();
    FillDefaultColors();
    if (text_.empty()) return;
    const DWORD normal = selectedTextColor_ != 0 ? selectedTextColor_ : textColor_;
    DrawButtonText(dc, IsEnabled() ? normal : disabledTextColor_);
}

}  // namespace SkinUI
