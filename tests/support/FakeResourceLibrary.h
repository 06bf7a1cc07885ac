#pragma once
// A scripted resource library for tests: every call is recorded, and the
// answer comes from a handler the test sets (by default: the user cancels).
// ScopedResourceLibrary installs it and puts the previous one back.

#include "platform_ui/ResourceLibrary.h"

#include <functional>
#include <memory>
#include <vector>

namespace ZelP4Res::testing {

struct Dlg100Call {
    OwnerWindow owner;
    std::int16_t keta, zeroMode, shift, fillZero; // as passed in
};
struct Dlg110Call {
    OwnerWindow owner;
    std::int32_t kind;
    QByteArray text;
};
struct ColorCall {
    OwnerWindow owner;
    std::int32_t color;
    CustomColorTable customColors;
};
struct FileCall {
    OwnerWindow owner;
    std::int32_t mode;
    QByteArray filter, initialName, title;
};
struct FolderCall {
    OwnerWindow owner;
    QByteArray prompt;
};

struct ResourceScript {
    std::vector<Dlg100Call> dlg100;
    std::vector<Dlg110Call> dlg110;
    std::vector<OwnerWindow> dlg111;
    std::vector<ColorCall> colors;
    std::vector<FileCall> files;
    std::vector<FolderCall> folders;
    int osInfoCalls = 0;

    // Answers. Each handler may change the in-out arguments and returns the
    // call's result. Unset: cancelled (0 or the empty text), nothing changed.
    std::function<std::int32_t(std::int16_t keta, std::int16_t& zeroMode, std::int16_t& shift, std::int16_t& fillZero)>
        onDlg100;
    std::function<void()> onDlg110; // runs while the text box would be up
    std::function<std::int32_t(SystemTime&)> onDlg111;
    std::function<std::int32_t(std::int32_t& color, CustomColorTable&)> onColor;
    QByteArray fileAnswer;   // returned by Zel3FileDlg
    QByteArray folderAnswer; // returned by Zel3FolderDlg
    QByteArray osName = "Debian GNU/Linux 12 (bookworm)";
};

class FakeResourceLibrary final : public ResourceLibrary {
public:
    explicit FakeResourceLibrary(std::shared_ptr<ResourceScript> s) : s_(std::move(s)) {}

    std::int32_t Call_dlg100(OwnerWindow owner, std::int16_t keta, std::int16_t& zeroMode, std::int16_t& shift,
                             std::int16_t& fillZero) override {
        s_->dlg100.push_back({owner, keta, zeroMode, shift, fillZero});
        return s_->onDlg100 ? s_->onDlg100(keta, zeroMode, shift, fillZero) : 0;
    }
    std::int32_t Call_dlg110(OwnerWindow owner, std::int32_t kind, const QByteArray& text) override {
        s_->dlg110.push_back({owner, kind, text});
        if (s_->onDlg110) s_->onDlg110();
        return 1;
    }
    std::int32_t Call_dlg111(OwnerWindow owner, SystemTime& date) override {
        s_->dlg111.push_back(owner);
        return s_->onDlg111 ? s_->onDlg111(date) : 0;
    }
    std::int32_t Zel3ChooseColor(OwnerWindow owner, std::int32_t& color, CustomColorTable& customColors) override {
        s_->colors.push_back({owner, color, customColors});
        return s_->onColor ? s_->onColor(color, customColors) : 0;
    }
    QByteArray Zel3FileDlg(OwnerWindow owner, std::int32_t mode, const QByteArray& filter, const QByteArray& initialName,
                           const QByteArray& title) override {
        s_->files.push_back({owner, mode, filter, initialName, title});
        return s_->fileAnswer;
    }
    QByteArray Zel3FolderDlg(OwnerWindow owner, const QByteArray& prompt) override {
        s_->folders.push_back({owner, prompt});
        return s_->folderAnswer;
    }
    QByteArray GetOsInfo() override {
        ++s_->osInfoCalls;
        return s_->osName;
    }

private:
    std::shared_ptr<ResourceScript> s_;
};

class ScopedResourceLibrary {
public:
    ScopedResourceLibrary() : s_(std::make_shared<ResourceScript>()) {
        previous_ = install(std::make_unique<FakeResourceLibrary>(s_));
    }
    ~ScopedResourceLibrary() { install(std::move(previous_)); }
    ScopedResourceLibrary(const ScopedResourceLibrary&) = delete;
    ScopedResourceLibrary& operator=(const ScopedResourceLibrary&) = delete;

    ResourceScript& script() { return *s_; }
    ResourceScript* operator->() { return s_.get(); }

private:
    std::shared_ptr<ResourceScript> s_;
    std::unique_ptr<ResourceLibrary> previous_;
};

} // namespace ZelP4Res::testing
