#pragma once
// A scripted resource library for tests: every call is recorded, and the
// answer comes from a handler the test sets (by default: the user cancels).
// The ticket plug-in calls open no window, so unless the test sets a handler
// they are the real ones: plug-in files are read and tickets drawn.
// ScopedResourceLibrary installs it and puts the previous one back.

#include "platform_ui/ResourceLibrary.h"
#include "tests/support/ScopedSeam.h"

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
struct DrawCall {
    QByteArray path;
    QPaintDevice* deviceContext;
    QByteArray stopName, date, time; // as passed in
    std::int32_t route;
    std::int16_t ticketNo, stopOrder;
    std::int32_t company;
};

struct ResourceScript {
    std::vector<Dlg100Call> dlg100;
    std::vector<Dlg110Call> dlg110;
    std::vector<OwnerWindow> dlg111;
    std::vector<ColorCall> colors;
    std::vector<FileCall> files;
    std::vector<FolderCall> folders;
    int osInfoCalls = 0;
    // The plug-in path of each call, in order.
    std::vector<QByteArray> plgInfoCalls, plgCommentCalls, corpListCalls;
    std::vector<DrawCall> draws;

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
    // Plug-in answers; unset: the real bridge.
    std::function<std::int32_t(const QByteArray& path, PlgInfo&)> onGetPlgInfo;
    std::function<std::int32_t(const QByteArray& path, QPlainTextEdit*)> onSetPlgComment;
    std::function<std::int32_t(const QByteArray& path, QComboBox*)> onSetCorpAddList;
    std::function<std::int32_t(const DrawCall&, QByteArray& stopName)> onDraw;
};

class FakeResourceLibrary final : public ResourceLibrary {
public:
    using Seam = ResourceLibrary;
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
    std::int32_t ZEL4_GetPlgInfo(const QByteArray& path, PlgInfo& info) override {
        s_->plgInfoCalls.push_back(path);
        return s_->onGetPlgInfo ? s_->onGetPlgInfo(path, info) : real_->ZEL4_GetPlgInfo(path, info);
    }
    std::int32_t ZEL4_SetPlgComment(const QByteArray& path, QPlainTextEdit* textBox) override {
        s_->plgCommentCalls.push_back(path);
        return s_->onSetPlgComment ? s_->onSetPlgComment(path, textBox) : real_->ZEL4_SetPlgComment(path, textBox);
    }
    std::int32_t ZEL4_SetCorpAddList(const QByteArray& path, QComboBox* comboBox) override {
        s_->corpListCalls.push_back(path);
        return s_->onSetCorpAddList ? s_->onSetCorpAddList(path, comboBox) : real_->ZEL4_SetCorpAddList(path, comboBox);
    }
    std::int32_t ZEL4_DrawSeiriken(const QByteArray& path, QPaintDevice* deviceContext, QByteArray& stopName,
                                   const QByteArray& date, const QByteArray& time, std::int32_t route,
                                   std::int16_t ticketNo, std::int16_t stopOrder, std::int32_t company) override {
        s_->draws.push_back({path, deviceContext, stopName, date, time, route, ticketNo, stopOrder, company});
        if (s_->onDraw) return s_->onDraw(s_->draws.back(), stopName);
        return real_->ZEL4_DrawSeiriken(path, deviceContext, stopName, date, time, route, ticketNo, stopOrder, company);
    }

private:
    std::shared_ptr<ResourceScript> s_;
    std::unique_ptr<ResourceLibrary> real_ = makeQtResourceLibrary();
};

using ScopedResourceLibrary = testing_support::ScopedSeam<ResourceScript, FakeResourceLibrary>;

} // namespace ZelP4Res::testing
