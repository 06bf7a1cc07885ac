#include "platform_ui/ResourceLibrary.h"

#include "platform/Cp932.h"
#include "platform/Files.h"
#include "platform/SeamSlot.h"
#include "platform/Seams.h"
#include "platform_ui/QtColor.h"
#include "platform_ui/TicketRenderer.h"

#include <QButtonGroup>
#include <QCalendarWidget>
#include <QDir>
#include <QColorDialog>
#include <QComboBox>
#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPaintDevice>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QSysInfo>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

namespace ZelP4Res {

// ---- filters and colours -------------------------------------------------------------

QStringList qtFileFilters(const QByteArray& nulSeparatedPairs) {
    // Parts end at the first empty part (the double NUL, also where a pattern
    // is due), or at the end of the bytes if the terminator is missing.
    QList<QByteArray> parts = nulSeparatedPairs.split('\0');
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty() || parts[i + 1].isEmpty()) break;
        const QString description = cp932::decode(parts[i]).trimmed();
        QStringList patterns;
        for (const QString& p : cp932::decode(parts[i + 1]).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString pattern = p.trimmed();
            if (pattern.isEmpty()) continue;
            patterns << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
        }
        if (patterns.isEmpty()) patterns << QStringLiteral("*");
        const QString patternText = patterns.join(QLatin1Char(' '));

        // "Waveサウンド(*.wav)" already names its patterns: keep the words and
        // let Qt's own bracket carry the patterns.
        QString words = description;
        static const QRegularExpression trailingBracket(QStringLiteral(R"(^(.*?)\s*[(（]([^()（）]*)[)）]$)"));
        if (const auto m = trailingBracket.match(description); m.hasMatch()) {
            QString named = m.captured(2);
            named.replace(QLatin1Char(';'), QLatin1Char(' '));
            QStringList namedList = named.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            for (QString& n : namedList) {
                if (n == QLatin1String("*.*")) n = QStringLiteral("*");
            }
            if (namedList.join(QLatin1Char(' ')).compare(patternText, Qt::CaseInsensitive) == 0) {
                words = m.captured(1);
            }
        }
        if (words.isEmpty()) result << QStringLiteral("(%1)").arg(patternText);
        else result << QStringLiteral("%1 (%2)").arg(words, patternText);
    }
    return result;
}

void carryCustomColorsIn(const CustomColorTable& table) {
    const int slotCount = std::min(QColorDialog::customCount(), device::kCustomColorCount);
    for (int i = 0; i < slotCount; ++i) QColorDialog::setCustomColor(i, platform_ui::toQColor(table[std::size_t(i)]));
}

void carryCustomColorsOut(CustomColorTable& table) {
    const int slotCount = std::min(QColorDialog::customCount(), device::kCustomColorCount);
    for (int i = 0; i < slotCount; ++i) table[std::size_t(i)] = platform_ui::fromQColor(QColorDialog::customColor(i));
}

QString pluginFilePath(const QByteArray& path) {
    QString file = cp932::decode(path);
#ifndef Q_OS_WIN
    file.replace(QLatin1Char('\\'), QLatin1Char('/'));
#endif
    return platform::findFileIgnoringCase(file);
}

// ---- the Qt implementation -------------------------------------------------------------

namespace {

// The plug-in last read, kept while its file stays the same: the panel draws
// a ticket at every stop.
class PluginCache {
public:
    const ticket::TicketPlugin* at(const QByteArray& path) {
        if (path.isEmpty()) return nullptr;
        const QString file = pluginFilePath(path);
        const QFileInfo info(file);
        if (!info.isFile()) return nullptr;
        const Key key{info.absoluteFilePath(), info.size(), info.lastModified()};
        if (key_ && *key_ == key) return plugin_ ? &*plugin_ : nullptr;
        key_ = key;
        plugin_.reset();
        if (auto loaded = ticket::loadTicketPlugin(file); std::holds_alternative<ticket::TicketPlugin>(loaded))
            plugin_ = std::get<ticket::TicketPlugin>(std::move(loaded));
        return plugin_ ? &*plugin_ : nullptr;
    }

private:
    struct Key {
        QString path;
        qint64 size = 0;
        QDateTime modified;
        bool operator==(const Key&) const = default;
    };
    std::optional<Key> key_;
    std::optional<ticket::TicketPlugin> plugin_;
};

QString title(const QString& own) { return own.isEmpty() ? platform::kAppTitle : own; }

class ZeroFormatDialog final : public QDialog {
public:
    ZeroFormatDialog(QWidget* owner, int keta, int zeroMode, int shift, int fillZero) : QDialog(owner) {
        setWindowTitle(QStringLiteral("表示形式の設定"));
        setObjectName(QStringLiteral("Call_dlg100"));
        auto* layout = new QVBoxLayout(this);

        auto* modeBox = new QGroupBox(QStringLiteral("ゼロと運賃なし(−1)の表示"), this);
        auto* modeLayout = new QVBoxLayout(modeBox);
        modes_ = new QButtonGroup(this);
        const QString names[4] = {
            QStringLiteral("0 は表示しない"),
            QStringLiteral("0 を表示する"),
            QStringLiteral("−1 は 0 と表示し、0 は表示しない"),
            QStringLiteral("−1 も 0 も 0 と表示する"),
        };
        for (int i = 0; i < 4; ++i) {
            auto* b = new QRadioButton(names[i], modeBox);
            b->setObjectName(QStringLiteral("zeroMode%1").arg(i));
            modes_->addButton(b, i);
            modeLayout->addWidget(b);
        }
        // A mode the dialog does not offer (negative) stays selected as none
        // and comes back unchanged.
        if (auto* b = modes_->button(zeroMode)) b->setChecked(true);
        initialMode_ = zeroMode;
        layout->addWidget(modeBox);

        auto* form = new QFormLayout;
        const int lastPosition = std::max(0, keta - 1);
        shift_ = new QSpinBox(this);
        shift_->setObjectName(QStringLiteral("shift"));
        shift_->setRange(0, lastPosition);
        shift_->setValue(std::clamp(shift, 0, lastPosition));
        shift_->setSuffix(QStringLiteral(" 桁"));
        form->addRow(QStringLiteral("右端の空き桁(&S):"), shift_);
        fill_ = new QSpinBox(this);
        fill_->setObjectName(QStringLiteral("fillZero"));
        fill_->setRange(0, std::max(0, keta));
        fill_->setValue(std::clamp(fillZero, 0, std::max(0, keta)));
        fill_->setSuffix(QStringLiteral(" 桁"));
        fill_->setSpecialValueText(QStringLiteral("しない"));
        form->addRow(QStringLiteral("ゼロで埋める桁数(&Z):"), fill_);
        layout->addLayout(form);

        auto* buttons = new QDialogButtonBox(this);
        buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setObjectName(QStringLiteral("ok"));
        buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole)
            ->setObjectName(QStringLiteral("cancel"));
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        layout->addWidget(buttons);
        layout->setSizeConstraint(QLayout::SetFixedSize);
    }

    int zeroMode() const { return modes_->checkedId() >= 0 ? modes_->checkedId() : initialMode_; }
    int shift() const { return shift_->value(); }
    int fillZero() const { return fill_->value(); }

private:
    QButtonGroup* modes_ = nullptr;
    QSpinBox* shift_ = nullptr;
    QSpinBox* fill_ = nullptr;
    int initialMode_ = 0;
};

class QtResourceLibrary final : public ResourceLibrary {
public:
    std::int32_t Call_dlg100(OwnerWindow owner, std::int16_t keta, std::int16_t& zeroMode, std::int16_t& shift,
                             std::int16_t& fillZero) override {
        ZeroFormatDialog dialog(owner, keta, zeroMode, shift, fillZero);
        if (dialog.exec() != QDialog::Accepted) return 0;
        zeroMode = std::int16_t(dialog.zeroMode());
        shift = std::int16_t(dialog.shift());
        fillZero = std::int16_t(dialog.fillZero());
        return 1;
    }

    std::int32_t Call_dlg110(OwnerWindow owner, std::int32_t, const QByteArray& text) override {
        QDialog box(owner);
        box.setObjectName(QStringLiteral("Call_dlg110"));
        box.setWindowTitle(platform::kAppTitle);
        auto* layout = new QVBoxLayout(&box);
        QString shown = cp932::decode(text);
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        auto* label = new QLabel(shown, &box);
        label->setTextFormat(Qt::PlainText);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setMargin(12);
        layout->addWidget(label);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
        layout->addWidget(buttons);
        layout->setSizeConstraint(QLayout::SetFixedSize);
        box.exec();
        return 1;
    }

    std::int32_t Call_dlg111(OwnerWindow owner, SystemTime& date) override {
        QDialog dialog(owner);
        dialog.setObjectName(QStringLiteral("Call_dlg111"));
        dialog.setWindowTitle(QStringLiteral("日付の選択"));
        auto* layout = new QVBoxLayout(&dialog);
        auto* calendar = new QCalendarWidget(&dialog);
        const QDate given(date.wYear, date.wMonth, date.wDay);
        calendar->setSelectedDate(given.isValid() ? given : platform::clock().now().date());
        layout->addWidget(calendar);
        auto* buttons = new QDialogButtonBox(&dialog);
        buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
        buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        QObject::connect(calendar, &QCalendarWidget::activated, &dialog, &QDialog::accept);
        layout->addWidget(buttons);
        if (dialog.exec() != QDialog::Accepted) return 0;
        const QDate chosen = calendar->selectedDate();
        const QTime now = platform::clock().now().time();
        date.wYear = std::int16_t(chosen.year());
        date.wMonth = std::int16_t(chosen.month());
        date.wDayOfWeek = std::int16_t(chosen.dayOfWeek() % 7); // Qt: Monday 1 .. Sunday 7
        date.wDay = std::int16_t(chosen.day());
        date.wHour = std::int16_t(now.hour());
        date.wMinute = std::int16_t(now.minute());
        date.wSecond = std::int16_t(now.second());
        date.wMilliseconds = std::int16_t(now.msec());
        return 1;
    }

    std::int32_t Zel3ChooseColor(OwnerWindow owner, std::int32_t& color, CustomColorTable& customColors) override {
        carryCustomColorsIn(customColors);
        QColorDialog dialog(platform_ui::toQColor(color), owner);
        dialog.setObjectName(QStringLiteral("Zel3ChooseColor"));
        dialog.setWindowTitle(QStringLiteral("色の設定"));
        if (dialog.exec() != QDialog::Accepted) return 0;
        color = platform_ui::fromQColor(dialog.selectedColor());
        carryCustomColorsOut(customColors);
        return 1;
    }

    QByteArray Zel3FileDlg(OwnerWindow owner, std::int32_t, const QByteArray& filter, const QByteArray& initialName,
                           const QByteArray& titleText) override {
        QFileDialog dialog(owner, title(cp932::decode(titleText)));
        dialog.setObjectName(QStringLiteral("Zel3FileDlg"));
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        const QStringList filters = qtFileFilters(filter);
        if (!filters.isEmpty()) dialog.setNameFilters(filters);
        if (!initialName.isEmpty()) dialog.selectFile(cp932::decode(initialName));
        return chosenPath(dialog);
    }

    QByteArray Zel3FolderDlg(OwnerWindow owner, const QByteArray& prompt) override {
        QFileDialog dialog(owner, title(cp932::decode(prompt)));
        dialog.setObjectName(QStringLiteral("Zel3FolderDlg"));
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        return chosenPath(dialog);
    }

    QByteArray GetOsInfo() override { return cp932::encode(QSysInfo::prettyProductName()); }

    std::int32_t ZEL4_GetPlgInfo(const QByteArray& path, PlgInfo& info) override {
        const ticket::TicketPlugin* plugin = plugins_.at(path);
        if (!plugin) return 0;
        info = plugin->info;
        return 1;
    }

    std::int32_t ZEL4_SetPlgComment(const QByteArray& path, QPlainTextEdit* textBox) override {
        const ticket::TicketPlugin* plugin = plugins_.at(path);
        if (textBox) textBox->setPlainText(plugin ? plugin->remarks : QString());
        return plugin ? 1 : 0;
    }

    std::int32_t ZEL4_SetCorpAddList(const QByteArray& path, QComboBox* comboBox) override {
        const ticket::TicketPlugin* plugin = plugins_.at(path);
        if (!plugin || !comboBox) return 0;
        comboBox->addItems(plugin->companies);
        return 1;
    }

    std::int32_t ZEL4_DrawSeiriken(const QByteArray& path, QPaintDevice* deviceContext, QByteArray& stopName,
                                   const QByteArray& date, const QByteArray& time, std::int32_t route,
                                   std::int16_t ticketNo, std::int16_t stopOrder, std::int32_t company) override {
        const ticket::TicketPlugin* plugin = plugins_.at(path);
        if (!plugin || !deviceContext) return 0;
        ticket::TicketValues values;
        values.stopName = cp932::decode(stopName);
        values.date = cp932::decode(date);
        values.time = cp932::decode(time);
        values.route = route;
        values.ticketNo = ticketNo;
        values.stopOrder = stopOrder;
        values.company = company;
        platform_ui::drawTicket(*deviceContext, *plugin, values);
        // The name the ticket carries goes back; a plug-in that replaces
        // none leaves the bytes as they came.
        const QString printed = ticket::printedStopName(*plugin, values.stopName);
        if (printed != values.stopName) stopName = cp932::encode(printed);
        return 1;
    }

private:
    // The callers keep paths as CP932 text. A path with a character outside
    // the code page would come back with "?" in it and name another file, so
    // the user is told and chooses again.
    static QByteArray chosenPath(QFileDialog& dialog) {
        for (;;) {
            if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
            const QString path = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
            if (cp932::canEncode(path)) return cp932::encode(path);
            platform::MsgBox(QStringLiteral("このパスには使用できない文字が含まれています。\n別の場所を選択してください。\n\n") +
                                 path,
                             platform::MsgButtons::Ok, platform::MsgIcon::Exclamation, {}, &dialog);
        }
    }

    PluginCache plugins_;
};

platform::SeamSlot<ResourceLibrary, QtResourceLibrary>& current() {
    static platform::SeamSlot<ResourceLibrary, QtResourceLibrary> s;
    return s;
}

} // namespace

std::unique_ptr<ResourceLibrary> makeQtResourceLibrary() { return std::make_unique<QtResourceLibrary>(); }

ResourceLibrary& resourceLibrary() { return *current().impl; }

std::unique_ptr<ResourceLibrary> install(std::unique_ptr<ResourceLibrary> impl) { return current().replace(std::move(impl)); }

} // namespace ZelP4Res
