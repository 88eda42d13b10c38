// COptionUI: a button with a selected state. Options sharing a group name in one manager form
// a radio group: selecting one deselects the others. Sends "selectchanged" after "click".
#pragma once

#include <string>

#include "ui/controls/CButtonUI.h"

namespace SkinUI {

class COptionUI : public CButtonUI {
public:
    COptionUI() = default;
    ~COptionUI() override;

    LPCSTR GetTypeName() const override;
    void* QueryType(LPCSTR name) override;
    bool Activate() override;
    void AttachManager(CWindowManagerUI* manager, CControlUI* parent, bool initialise) override;
    void SetEnabled(bool enabled = true) override;
    void ApplyAttribute(LPCSTR name, LPCSTR value) override;
    void PaintStateImage(HDC dc) override;
    void PaintText(HDC dc) override;
    virtual void Select(bool selected = true);

    bool IsSelected() const { return selected_; }
    const std::string& GetGroup() const { return group_; }
    void SetGroup(const std::string& group);

    const std::string& GetSelectedImage() const { return selectedImage_; }
    void SetSelectedImage(const std::string& image);
    const std::string& GetSelectedHotImage() const { return selectedHotImage_; }
    void SetSelectedHotImage(const std::string& image);
    const std::string& GetOptionForeImage() const { return optionForeImage_; }
    void SetOptionForeImage(const std::string& image);
    DWORD GetSelectedBkColor() const { return selectedBackColor_; }
    void SetSelectedBkColor(DWORD color) { selectedBackColor_ = color; }
    DWORD GetSelectedTextColor() const { return selectedTextColor_; }
    void SetSelectedTextColor(DWORD color) { selectedTextColor_ = color; }

    // The manager is going away: its option groups no longer hold this option.
    void ForgetGroupManager(CWindowManagerUI* manager);

private:
    void JoinGroup(CWindowManagerUI* manager);
    void LeaveGroup();

    bool selected_ = false;
    std::string group_;
    // The manager whose group table holds this option. The option may be detached from it
    // (the skin builder attaches controls only while their attributes are applied) and must
    // still leave the group when it is destroyed.
    CWindowManagerUI* groupManager_ = nullptr;
    DWORD selectedBackColor_ = 0;
    DWORD selectedTextColor_ = 0;
    std::string selectedImage_;
    std::string selectedHotImage_;
    std::string optionForeImage_;
};

}  // namespace SkinUI
