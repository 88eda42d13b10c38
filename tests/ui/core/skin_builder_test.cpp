// The skin builder under wine: skins from resources, strings and files; fonts, images and
// default lists registered with the manager; the root's window settings on a real window;
// includes; the tag table; plug-in factories and the callback; malformed skins.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "tests/ui/ui_test_support.h"
#include "ui/controls/CContainerUI.h"
#include "ui/controls/COptionUI.h"
#include "ui/controls/CVerticalLayoutUI.h"
#include "ui/controls/FurtherControls.h"
#include "ui/controls/TImageInfo.h"
#include "ui/core/CSkinBuilder.h"

using namespace SkinUI;

namespace {

// Skin text is ANSI; the fixtures are UTF-8.
std::string Ansi(const char* utf8) {
    wchar_t wide[256] = {};
    ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 256);
    char ansi[512] = {};
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, sizeof(ansi), nullptr, nullptr);
    return ansi;
}

CContainerUI* AsContainer(CControlUI* control) {
    return control != nullptr ? static_cast<CContainerUI*>(control->QueryType("Container"))
                              : nullptr;
}

// A manager bound to a real popup window; owns whatever root a test builds.
class Built : public ::testing::Test {
protected:
    void SetUp() override {
        CWindowManagerUI::SetInstance(::GetModuleHandleA(nullptr));
        ASSERT_NE(nullptr, host.Open(manager, 50, 40));
    }
    void TearDown() override {
        if (root != nullptr && manager.GetRoot() != root) delete root;
    }
    CControlUI* Build(const char* skin, CWindowManagerUI* with, CControlUI* parent = nullptr) {
        CSkinBuilder builder;
        CControlUI* built = builder.Build(skin, nullptr, nullptr, with, parent);
        if (parent == nullptr) root = built;
        return built;
    }
    SIZE WindowSize() const {
        RECT r;
        ::GetWindowRect(host.GetHWND(), &r);
        return SIZE{r.right - r.left, r.bottom - r.top};
    }

    CWindowManagerUI manager;
    uitest::HostWnd host;
    CControlUI* root = nullptr;
};

// A folder of skin files under the resource path; removed afterwards.
class SkinFiles {
public:
    SkinFiles() {
        char temp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, temp);
        dir_ = std::string(temp) + "skinbuilder" + std::to_string(::GetCurrentProcessId()) + "\\";
        ::CreateDirectoryA(dir_.c_str(), nullptr);
        previous_ = CWindowManagerUI::GetResourcePath();
        CWindowManagerUI::SetResourcePath(dir_);
    }
    ~SkinFiles() {
        for (const auto& name : names_) ::DeleteFileA((dir_ + name).c_str());
        ::RemoveDirectoryA(dir_.c_str());
        CWindowManagerUI::SetResourcePath(previous_);
    }
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(dir_ + name, std::ios::binary) << text;
        names_.push_back(name);
    }

private:
    std::string dir_;
    std::string previous_;
    std::vector<std::string> names_;
};

}  // namespace

// ---- The loader's own skin, from the program's resources ------------------------------------

TEST_F(Built, LoaderSkinFromItsResource) {
    CSkinBuilder builder;
    root = builder.Build(MAKEINTRESOURCEA(130), "XML", nullptr, &manager, nullptr);
    ASSERT_NE(nullptr, root);
    EXPECT_STREQ("VerticalLayoutUI", root->GetTypeName());

    // Five fonts, in document order.
    ASSERT_EQ(5, manager.GetFontCount());
    const std::string xinSong = Ansi("新宋体"), song = Ansi("宋体");
    const struct {
        std::string face;
        int size;
        bool bold, underline;
    } fonts[] = {{xinSong, 12, false, false},
                 {xinSong, 12, true, false},
                 {song, 14, false, false},
                 {xinSong, 14, true, false},
                 {xinSong, 12, false, true}};
    for (int i = 0; i < 5; ++i) {
        const TFontInfo* info = manager.GetFontInfo(i);
        EXPECT_EQ(fonts[i].face, info->faceName) << i;
        EXPECT_EQ(fonts[i].size, info->size) << i;
        EXPECT_EQ(fonts[i].bold, info->bold) << i;
        EXPECT_EQ(fonts[i].underline, info->underline) << i;
        EXPECT_FALSE(info->italic) << i;
    }

    // The window settings, applied at once to the real window (no root attached yet).
    const SIZE size = WindowSize();
    EXPECT_EQ(541, size.cx);
    EXPECT_EQ(402, size.cy);
    EXPECT_EQ(4, manager.GetRoundCorner().cx);
    EXPECT_EQ(4, manager.GetRoundCorner().cy);
    EXPECT_EQ(100, manager.GetCaptionRect().bottom);
    EXPECT_EQ(0, manager.GetCaptionRect().right);
    EXPECT_EQ(541, manager.GetMinTrackSize().cx);
    EXPECT_EQ(402, manager.GetMinTrackSize().cy);
    EXPECT_TRUE(manager.IsAlphaBackground());

    // The tree: two horizontal layouts, the second holding the label and the progress bar.
    CContainerUI* layout = AsContainer(root);
    ASSERT_NE(nullptr, layout);
    ASSERT_EQ(2, layout->GetCount());
    EXPECT_EQ("wheel", layout->GetItemAt(0)->GetName());
    EXPECT_EQ(355, layout->GetItemAt(0)->GetFixedHeight());
    CContainerUI* bottom = AsContainer(layout->GetItemAt(1));
    ASSERT_NE(nullptr, bottom);
    EXPECT_STREQ("HorizontalLayoutUI", bottom->GetTypeName());
    EXPECT_EQ("progressbg", bottom->GetName());
    EXPECT_TRUE(bottom->IsFloat());
    EXPECT_EQ(538, bottom->GetFixedWidth());
    ASSERT_EQ(2, bottom->GetCount());
    EXPECT_STREQ("LabelUI", bottom->GetItemAt(0)->GetTypeName());
    EXPECT_EQ(Ansi("正在准备安装"), bottom->GetItemAt(0)->GetText());
    EXPECT_STREQ("ProgressUI", bottom->GetItemAt(1)->GetTypeName());
    EXPECT_EQ("progress", bottom->GetItemAt(1)->GetName());

    // Controls come out of the build detached; attaching the root finds them by name.
    EXPECT_EQ(nullptr, root->GetManager());
    ASSERT_TRUE(manager.AttachRoot(root));
    EXPECT_EQ(layout->GetItemAt(0), manager.FindControlByName("wheel"));
    EXPECT_EQ(root, bottom->GetParent());
}

TEST_F(Built, MissingResourcesAndDocumentsGiveNoneAndRegisterNothing) {
    CSkinBuilder builder;
    EXPECT_EQ(nullptr, builder.Build(MAKEINTRESOURCEA(999), "XML", nullptr, &manager, nullptr));
    EXPECT_EQ(nullptr, builder.Build(MAKEINTRESOURCEA(130), "NOPE", nullptr, &manager, nullptr));
    EXPECT_EQ(nullptr, builder.Build(MAKEINTRESOURCEA(130), nullptr, nullptr, &manager, nullptr));
    EXPECT_EQ(nullptr, builder.Build(nullptr, "XML", nullptr, &manager, nullptr));
    EXPECT_EQ(nullptr, Build("no-such-skin.xml", &manager));
    EXPECT_EQ(nullptr, Build("<Window><Font name=\"Arial\"/><Control", &manager));  // cut short
    EXPECT_EQ(0, manager.GetFontCount());
    EXPECT_EQ(50, WindowSize().cx);
}

// ---- Root resources ---------------------------------------------------------------------------

TEST_F(Built, FontsNeedANameAndDefaultBothAppendsAndSetsTheDefault) {
    Build(
        "<Window><Font size=\"20\"/><Font name=\"Arial\" size=\"17\" default=\"true\"/>"
        "<Font name=\"Tahoma\" italic=\"true\" default=\"TRUE\"/></Window>",
        &manager);
    ASSERT_EQ(2, manager.GetFontCount());
    EXPECT_EQ("Arial", manager.GetFontInfo(0)->faceName);
    EXPECT_EQ(17, manager.GetFontInfo(0)->size);
    EXPECT_EQ(12, manager.GetFontInfo(1)->size);  // the default size
    EXPECT_TRUE(manager.GetFontInfo(1)->italic);
    EXPECT_EQ("Arial", manager.GetDefaultFontInfo()->faceName);
    EXPECT_EQ(17, manager.GetDefaultFontInfo()->size);
}

TEST_F(Built, ImagesAndDefaultsOnlyAsDirectChildrenOfTheRoot) {
    root = Build(
        "<Window><Image name=\"110\" restype=\"PNG\" mask=\"#FF00FF\"/><Image restype=\"PNG\"/>"
        "<Default name=\"Control\" value=\"tooltip=&quot;first&quot;\"/>"
        "<Default name=\"Control\" value=\"tooltip=&quot;second&quot;\"/>"
        "<VerticalLayout><Font name=\"Arial\"/><Image name=\"121\" restype=\"PNG\"/>"
        "<Default name=\"Container\" value=\"name=&quot;x&quot;\"/><Control/></VerticalLayout>"
        "</Window>",
        &manager);
    ASSERT_NE(nullptr, root);
    ASSERT_NE(nullptr, manager.GetImage("110"));
    EXPECT_EQ(0xFF00FFu, manager.GetImage("110")->mask);
    EXPECT_EQ(nullptr, manager.GetImage("121"));
    EXPECT_EQ(0, manager.GetFontCount());
    EXPECT_EQ(nullptr, manager.GetDefaultAttributes("Container"));
    ASSERT_NE(nullptr, manager.GetDefaultAttributes("Control"));
    EXPECT_EQ("tooltip=\"first\"", *manager.GetDefaultAttributes("Control"));  // first stays
    // Nested resource elements are no controls either.
    ASSERT_EQ(1, AsContainer(root)->GetCount());
    EXPECT_EQ("first", AsContainer(root)->GetItemAt(0)->GetToolTip());
}

TEST_F(Built, DefaultsComeBeforeTheElementsOwnAttributes) {
    root = Build(
        "<Window><Default name=\"Control\" value=\"name=&quot;def&quot; tooltip=&quot;dt&quot; "
        "width=&quot;30&quot;\"/>"
        "<Container><Control tooltip=\"own\"/><Control/></Container></Window>",
        &manager);
    CContainerUI* box = AsContainer(root);
    ASSERT_NE(nullptr, box);
    ASSERT_EQ(2, box->GetCount());
    EXPECT_EQ("own", box->GetItemAt(0)->GetToolTip());  // the element's own value wins
    EXPECT_EQ("def", box->GetItemAt(0)->GetName());
    EXPECT_EQ(30, box->GetItemAt(0)->GetFixedWidth());
    EXPECT_EQ("dt", box->GetItemAt(1)->GetToolTip());
    EXPECT_EQ("", box->GetName());  // looked up by the tag: Container has none
}

TEST_F(Built, ButtonDefaultsComeBeforeEachButtonsOwnAttributes) {
    root = Build(
        "<Window><Default name=\"Button\" value=\"text=&quot;def&quot; tooltip=&quot;tip&quot;\"/>"
        "<HorizontalLayout><Button text=\"own\"/><Button/><Label/><Option/></HorizontalLayout>"
        "</Window>",
        &manager);
    CContainerUI* row = AsContainer(root);
    ASSERT_NE(nullptr, row);
    ASSERT_EQ(4, row->GetCount());
    EXPECT_EQ("own", row->GetItemAt(0)->GetText());  // the element's own value wins
    EXPECT_EQ("tip", row->GetItemAt(0)->GetToolTip());
    EXPECT_EQ("def", row->GetItemAt(1)->GetText());
    EXPECT_EQ("", row->GetItemAt(2)->GetText());  // other tags, even derived ones, have none
    EXPECT_EQ("", row->GetItemAt(3)->GetText());
}

// ---- Window settings ------------------------------------------------------------------------

TEST_F(Built, WindowSettingsOfTheRootElement) {
    root = Build(
        "<Window size=\"320,240\" sizebox=\"1,2,3,4\" caption=\"0,0,0,30\" roundcorner=\"5,6\" "
        "mininfo=\"100,90\" maxinfo=\"800,700\" showdirty=\"true\" alpha=\"200\" "
        "bktrans=\"TRUE\" disabledfontcolor=\"#FF010203\" defaultfontcolor=\"FF040506\" "
        "linkfontcolor=\"#FF070809\" linkhoverfontcolor=\"#FF0A0B0C\" "
        "selectedcolor=\"#FF0D0E0F\" shadowpos=\"1,2,3,4,5,6\" enableshadow=\"true\" "
        "shadowimage=\"shadow.png\" unknown=\"1\"><Control/></Window>",
        &manager);
    ASSERT_NE(nullptr, root);
    EXPECT_EQ(320, WindowSize().cx);
    EXPECT_EQ(240, WindowSize().cy);
    EXPECT_EQ(4, manager.GetSizeBox().bottom);
    EXPECT_EQ(30, manager.GetCaptionRect().bottom);
    EXPECT_EQ(6, manager.GetRoundCorner().cy);
    EXPECT_EQ(90, manager.GetMinTrackSize().cy);
    EXPECT_EQ(800, manager.GetMaxTrackSize().cx);
    EXPECT_TRUE(manager.IsShowDirty());
    EXPECT_EQ(200, manager.GetOpacity());
    EXPECT_FALSE(manager.IsAlphaBackground());  // "TRUE" is not "true"
    EXPECT_EQ(0xFF010203u, manager.GetDefaultDisabledColor());
    EXPECT_EQ(0xFF040506u, manager.GetDefaultFontColor());
    EXPECT_EQ(0xFF070809u, manager.GetDefaultLinkFontColor());
    EXPECT_EQ(0xFF0A0B0Cu, manager.GetDefaultLinkHoverFontColor());
    EXPECT_EQ(0xFF0D0E0Fu, manager.GetDefaultSelectedBkColor());
    EXPECT_TRUE(manager.IsShadow());
    EXPECT_EQ("shadow.png", manager.GetShadowImage());
}

TEST_F(Built, WindowSettingsOnlyForAWindowRootAndAWindowedManager) {
    Build("<Skin size=\"300,300\" bktrans=\"true\"><Control/></Skin>", &manager);
    EXPECT_EQ(50, WindowSize().cx);
    EXPECT_FALSE(manager.IsAlphaBackground());
    delete root;

    CWindowManagerUI windowless;
    CSkinBuilder builder;
    root = builder.Build("<Window roundcorner=\"3,3\"><Font name=\"Arial\"/><Control/></Window>",
                         nullptr, nullptr, &windowless, nullptr);
    ASSERT_NE(nullptr, root);
    EXPECT_EQ(0, windowless.GetRoundCorner().cx);
    EXPECT_EQ(1, windowless.GetFontCount());  // resources still go to it
}

TEST_F(Built, PairsReadOneSeparatorAndNeverPastTheEnd) {
    Build("<Window size=\"77\" roundcorner=\"9;;9\" caption=\"1,2\"><Control/></Window>", &manager);
    EXPECT_EQ(77, manager.GetInitialSize().cx);
    EXPECT_EQ(0, manager.GetInitialSize().cy);
    EXPECT_EQ(9, manager.GetRoundCorner().cx);
    EXPECT_EQ(0, manager.GetRoundCorner().cy);  // two separators: the second number is 0
    EXPECT_EQ(2, manager.GetCaptionRect().top);
    EXPECT_EQ(0, manager.GetCaptionRect().bottom);
}

// ---- The tree -----------------------------------------------------------------------------------

TEST_F(Built, UnknownTagsAreSkippedWithTheirSubtree) {
    root = Build(
        "<Window><VerticalLayout><Bogus><Control name=\"inner\"/></Bogus><control/>"
        "<Control name=\"kept\"/></VerticalLayout><Control name=\"second\"/></Window>",
        &manager);
    ASSERT_NE(nullptr, root);
    EXPECT_STREQ("VerticalLayoutUI", root->GetTypeName());  // the first top-level control
    ASSERT_EQ(1, AsContainer(root)->GetCount());
    EXPECT_EQ("kept", AsContainer(root)->GetItemAt(0)->GetName());
}

namespace {

// Counts the instances alive.
class Counted : public uitest::RecordingControl {
public:
    Counted() { ++alive; }
    ~Counted() override { --alive; }
    static int alive;
};
int Counted::alive = 0;

struct CountedCallback : IDialogBuilderCallback {
    CControlUI* CreateCustomControl(LPCSTR tag) override {
        return std::strcmp(tag, "Counted") == 0 ? new Counted : nullptr;
    }
};

}  // namespace

TEST_F(Built, WithoutAParentOnlyTheFirstTopLevelControlIsKept) {
    SkinFiles files;
    files.Write("more.xml", "<Window><Counted/><Counted/></Window>");
    CountedCallback callback;
    CSkinBuilder builder;
    root = builder.Build(
        "<Window><Counted name=\"first\"/><Include source=\"more.xml\"/><Counted/></Window>",
        nullptr, &callback, &manager, nullptr);
    ASSERT_NE(nullptr, root);
    EXPECT_EQ("first", root->GetName());
    EXPECT_EQ(1, Counted::alive);  // nothing else is reachable, so nothing else is left
    delete root;
    root = nullptr;
    EXPECT_EQ(0, Counted::alive);

    // Nor is anything left in the manager: a dropped option leaves the group it joined.
    root = Build(
        "<Window><VerticalLayout><Option name=\"a\" group=\"g\"/></VerticalLayout>"
        "<Option group=\"g\"/></Window>",
        &manager);
    ASSERT_NE(nullptr, root);
    ASSERT_TRUE(manager.AttachRoot(root));
    ASSERT_NE(nullptr, manager.GetOptionGroup("g"));
    EXPECT_EQ(1u, manager.GetOptionGroup("g")->size());
    auto* option = static_cast<COptionUI*>(manager.FindControlByName("a"));
    ASSERT_NE(nullptr, option);
    option->Select();
    EXPECT_TRUE(option->IsSelected());
}

TEST_F(Built, TopLevelControlsGoIntoTheGivenParent) {
    CVerticalLayoutUI parent;
    CControlUI* first =
        Build("<Window><Control name=\"a\"/><Control name=\"b\"/></Window>", &manager, &parent);
    ASSERT_EQ(2, parent.GetCount());
    EXPECT_EQ(first, parent.GetItemAt(0));
    EXPECT_EQ("b", parent.GetItemAt(1)->GetName());
    EXPECT_EQ(&parent, parent.GetItemAt(1)->GetParent());
    EXPECT_EQ(nullptr, parent.GetItemAt(1)->GetManager());
}

TEST_F(Built, AParentWithoutAChildListEndsTheLevel) {
    root = Build(
        "<Window><VerticalLayout><Control name=\"leaf\"><Control name=\"a\"/>"
        "<Control name=\"b\"/></Control><Control name=\"after\"/></VerticalLayout></Window>",
        &manager);
    CContainerUI* layout = AsContainer(root);
    ASSERT_NE(nullptr, layout);
    ASSERT_EQ(2, layout->GetCount());
    EXPECT_EQ("leaf", layout->GetItemAt(0)->GetName());
    EXPECT_EQ("after", layout->GetItemAt(1)->GetName());
}

TEST_F(Built, WithoutAManagerControlsStillGetTheirAttributes) {
    CSkinBuilder builder;
    root = builder.Build(
        "<Window size=\"999,999\"><Container name=\"c\"><Control name=\"x\"/>"
        "</Container></Window>");
    ASSERT_NE(nullptr, root);
    EXPECT_EQ("c", root->GetName());
    EXPECT_EQ("x", AsContainer(root)->GetItemAt(0)->GetName());
    EXPECT_EQ(50, WindowSize().cx);
}

TEST_F(Built, TreeNodesNestInTreeNodes) {
    root = Build(
        "<Window><TreeView><TreeNode name=\"n1\"><TreeNode name=\"n2\"/></TreeNode>"
        "</TreeView></Window>",
        &manager);
    ASSERT_NE(nullptr, root);
    CContainerUI* node = AsContainer(AsContainer(root)->GetItemAt(0));
    ASSERT_NE(nullptr, node);
    EXPECT_EQ("n1", node->GetName());
    ASSERT_EQ(1, node->GetCount());
    EXPECT_EQ("n2", node->GetItemAt(0)->GetName());

    // A control may answer for a tree node it holds: children go to that node.
    struct Branch : CControlUI {
        void* QueryType(LPCSTR name) override {
            return std::strcmp(name, "TreeNode") == 0 ? &node : CControlUI::QueryType(name);
        }
        void* unused[8] = {};
        CTreeNodeUI node;
    };
    struct BranchCallback : IDialogBuilderCallback {
        CControlUI* CreateCustomControl(LPCSTR tag) override {
            return std::strcmp(tag, "Branch") == 0 ? new Branch : nullptr;
        }
    } callback;
    CSkinBuilder builder;
    std::unique_ptr<CControlUI> branch(builder.Build(
        "<Window><Branch><Control name=\"leaf\"/></Branch></Window>", nullptr, &callback));
    ASSERT_NE(nullptr, branch);
    CTreeNodeUI& held = static_cast<Branch*>(branch.get())->node;
    ASSERT_EQ(1, held.GetCount());
    EXPECT_EQ("leaf", held.GetItemAt(0)->GetName());
}

// ---- The tag table ----------------------------------------------------------------------------

TEST(SkinBuilderTags, ExactCaseSensitiveAndEveryTagMakesItsControl) {
    const char* const tags[] = {"Control",
                                "Container",
                                "VerticalLayout",
                                "HorizontalLayout",
                                "Label",
                                "Text",
                                "Button",
                                "Option",
                                "Progress",
                                "CheckBox",
                                "Edit",
                                "RichEdit",
                                "List",
                                "ListHeader",
                                "ListHeaderItem",
                                "ListTextElement",
                                "ListLabelElement",
                                "ListContainerElement",
                                "Combo",
                                "ComboBox",
                                "Slider",
                                "ScrollBar",
                                "DateTime",
                                "TreeView",
                                "TabLayout",
                                "TileLayout",
                                "ChildLayout",
                                "ActiveX",
                                "WebBrowser",
                                "TreeNode"};
    const char* const containers[] = {"Container", "VerticalLayout", "HorizontalLayout",
                                      "List",      "ListHeader",     "ListContainerElement",
                                      "Combo",     "ComboBox",       "TreeView",
                                      "TabLayout", "TileLayout",     "ChildLayout",
                                      "TreeNode"};
    for (const char* tag : tags) {
        CControlUI* control = CSkinBuilder::CreateBuiltinControl(tag);
        ASSERT_NE(nullptr, control) << tag;
        EXPECT_EQ(std::string(tag) + "UI", control->GetTypeName());
        EXPECT_EQ(control, control->QueryType(tag)) << tag;
        bool container = false;
        for (const char* c : containers) container = container || std::strcmp(c, tag) == 0;
        EXPECT_EQ(container, control->QueryType("IContainer") != nullptr) << tag;
        control->ApplyAttribute("name", "n");  // the base's attributes
        EXPECT_EQ("n", control->GetName()) << tag;
        delete control;
    }
    for (const char* wrong : {"control", "CONTROL", "Contro", "Controls", "Control ", "Listheader",
                              "Treenode", "Window", "Include", "Font", "Image", "Default", ""}) {
        EXPECT_EQ(nullptr, CSkinBuilder::CreateBuiltinControl(wrong)) << wrong;
    }
}

namespace {

CControlUI* GadgetFactory(const char* tag) {
    if (std::strcmp(tag, "Gadget") == 0) return new uitest::RecordingControl("", 0, "GadgetUI");
    return nullptr;
}

struct Callback : IDialogBuilderCallback {
    CControlUI* CreateCustomControl(LPCSTR tag) override {
        asked.push_back(tag);
        if (std::strcmp(tag, "Gadget") == 0 || std::strcmp(tag, "Widget") == 0) {
            return new uitest::RecordingControl("", 0, "WidgetUI");
        }
        return nullptr;
    }
    std::vector<std::string> asked;
};

}  // namespace

TEST_F(Built, PlugInFactoriesFirstThenTheCallback) {
    CWindowManagerUI::AddControlFactory(GadgetFactory);
    Callback callback;
    CSkinBuilder builder;
    root = builder.Build(
        "<Window><Container><Gadget name=\"g\"/><Widget name=\"w\"/><Nothing/><Control/>"
        "</Container></Window>",
        nullptr, &callback, &manager, nullptr);
    CContainerUI* box = AsContainer(root);
    ASSERT_NE(nullptr, box);
    ASSERT_EQ(3, box->GetCount());
    EXPECT_STREQ("GadgetUI", box->GetItemAt(0)->GetTypeName());
    EXPECT_EQ("g", box->GetItemAt(0)->GetName());
    EXPECT_STREQ("WidgetUI", box->GetItemAt(1)->GetTypeName());
    EXPECT_EQ((std::vector<std::string>{"Widget", "Nothing"}), callback.asked);
}

namespace {

// Records what it holds, and whether it reaches the manager, when its attributes arrive.
class OrderProbe : public CContainerUI {
public:
    void ApplyAttribute(LPCSTR name, LPCSTR value) override {
        if (std::strcmp(name, "probe") == 0) {
            childrenAtAttributes = GetCount();
            managerAtAttributes = GetManager();
        }
        CContainerUI::ApplyAttribute(name, value);
    }
    int childrenAtAttributes = -1;
    CWindowManagerUI* managerAtAttributes = nullptr;
};

struct ProbeCallback : IDialogBuilderCallback {
    CControlUI* CreateCustomControl(LPCSTR tag) override {
        return std::strcmp(tag, "Probe") == 0 ? new OrderProbe : nullptr;
    }
};

}  // namespace

TEST_F(Built, ChildrenComeBeforeTheParentsAttributesWhichSeeTheManager) {
    ProbeCallback callback;
    CSkinBuilder builder;
    root = builder.Build("<Window><Probe probe=\"1\"><Control/><Control/></Probe></Window>",
                         nullptr, &callback, &manager, nullptr);
    auto* probe = static_cast<OrderProbe*>(root);
    ASSERT_NE(nullptr, probe);
    EXPECT_EQ(2, probe->childrenAtAttributes);
    EXPECT_EQ(&manager, probe->managerAtAttributes);
    EXPECT_EQ(nullptr, probe->GetManager());  // detached again afterwards
}

// ---- Includes -----------------------------------------------------------------------------------

TEST_F(Built, IncludesBuildTheirSkinCountTimesIntoTheSameParent) {
    SkinFiles files;
    files.Write("part.xml", "<Window><Font name=\"Arial\"/><Control name=\"part\"/></Window>");
    files.Write("main.xml",
                "<Window><VerticalLayout><Control name=\"own\"/>"
                "<Include source=\"part.xml\" count=\"3\"/><Include source=\"part.xml\" "
                "count=\"0\"/><Include count=\"2\"/><Include/></VerticalLayout></Window>");
    root = Build("main.xml", &manager);
    CContainerUI* layout = AsContainer(root);
    ASSERT_NE(nullptr, layout);
    ASSERT_EQ(4, layout->GetCount());
    for (int i = 1; i < 4; ++i) EXPECT_EQ("part", layout->GetItemAt(i)->GetName());
    EXPECT_EQ(3, manager.GetFontCount());  // each included build registers its own fonts
}

TEST_F(Built, ResourceIncludesAreIdsOfTheSameType) {
    CSkinBuilder builder;
    root = builder.Build(MAKEINTRESOURCEA(140), "XML", nullptr, &manager, nullptr);
    CContainerUI* layout = AsContainer(root);
    ASSERT_NE(nullptr, layout);
    EXPECT_EQ("outer", layout->GetName());
    ASSERT_EQ(2, layout->GetCount());
    EXPECT_EQ("included", layout->GetItemAt(1)->GetName());
    EXPECT_EQ(2, manager.GetFontCount());
    EXPECT_EQ(8, manager.GetRoundCorner().cy);  // the included root is a Window too
}

TEST_F(Built, SelfIncludingSkinsEnd) {
    SkinFiles files;
    files.Write("loop.xml",
                "<Window><Container><Control/><Include source=\"loop.xml\" count=\"2\"/>"
                "</Container></Window>");
    files.Write("wide.xml", "<Window><Include source=\"wide.xml\" count=\"2147483647\"/></Window>");
    CVerticalLayoutUI parent;
    root = Build("loop.xml", &manager);
    ASSERT_NE(nullptr, root);
    EXPECT_EQ(nullptr, Build("wide.xml", &manager, &parent));
    EXPECT_EQ(0, parent.GetCount());
}

// ---- Malformed skins ----------------------------------------------------------------------------

TEST_F(Built, MalformedSkinsBuildWhatTheyCanOrNothing) {
    // Each skin with the type of the control it builds, or none.
    const struct {
        const char* skin;
        const char* built;
    } cases[] = {
        {"<Window><VerticalLayout><Control", nullptr},
        {"<Window><VerticalLayout></HorizontalLayout></Window>", nullptr},
        {"<", nullptr},
        {"", nullptr},
        {"<Window size=\"99999999999999999999,-99999999999\" roundcorner=\",,,,\" "
         "shadowpos=\"1\" alpha=\"-7\" caption=\"x\"><Font name=\"Arial\" "
         "size=\"99999999999\"/><Font name=\"\" size=\"-3\"/><Image name=\"gone.png\"/>"
         "<Image name=\"x\" restype=\"PNG\"/><Control width=\"99999999999\" pos=\"1,2\" "
         "bkimage=\"file='gone.png'\" bkcolor=\"#zz\"/></Window>",
         "ControlUI"},
        {"<Window><Include source=\"\" count=\"99999999999\"/><Container><Container><Control/>"
         "</Container></Container></Window>",
         "ContainerUI"},
    };
    for (const auto& c : cases) {
        CWindowManagerUI other;
        uitest::HostWnd window;
        ASSERT_NE(nullptr, window.Open(other, 40, 30));
        CSkinBuilder builder;
        CControlUI* built = builder.Build(c.skin, nullptr, nullptr, &other, nullptr);
        EXPECT_STREQ(c.built, built != nullptr ? built->GetTypeName() : nullptr) << c.skin;
        if (built != nullptr) {
            other.AttachRoot(built);  // laid out and painted, missing pictures and all
            ::ShowWindow(window.GetHWND(), SW_SHOWNA);
            ::UpdateWindow(window.GetHWND());
        }
    }
    // A skin the parser refuses builds nothing.
    EXPECT_EQ(nullptr, Build("<Window><VerticalLayout><Control", &manager));
    EXPECT_EQ(nullptr, Build("", &manager));
}

TEST(SkinBuilderDamage, CutAndScrambledLoaderSkinsNeverCrash) {
    CWindowManagerUI::SetInstance(::GetModuleHandleA(nullptr));
    HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(130), "XML");
    ASSERT_NE(nullptr, found);
    const std::string skin(static_cast<const char*>(::LockResource(::LoadResource(nullptr, found))),
                           ::SizeofResource(nullptr, found));
    int built = 0;
    unsigned seed = 12345;
    // Every cut (some mid-character, some scrambled), and the whole skin last.
    for (std::size_t cut = 1; cut <= skin.size() + 4; cut += 5) {
        std::string damaged = skin.substr(0, std::min(cut, skin.size()));
        if (cut % 3 == 0 && cut < skin.size()) {
            for (int flips = 0; flips < 4; ++flips) {
                seed = seed * 1103515245u + 12345u;
                damaged[(seed >> 8) % damaged.size()] = "<>/=\"' a9#,"[(seed >> 4) % 11];
            }
        }
        CWindowManagerUI manager;  // no window: resources only
        CSkinBuilder builder;
        if (!builder.GetDocument().LoadFromBuffer(damaged.data(), damaged.size(),
                                                  XmlEncodingUtf8)) {
            continue;
        }
        CControlUI* root = builder.BuildFromDocument(nullptr, &manager, nullptr);
        built += root != nullptr;
        delete root;
    }
    EXPECT_GT(built, 0);  // the whole skin at least
}
