// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/accessible_widgets.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QLabel>
#include <QPointer>

#include "platform/event_pump.h"
#include "text/key_names.h"
#include "widgets/animation_control.h"
#include "widgets/image_button.h"
#include "widgets/percent_bar.h"
#include "widgets/status_line.h"
#include "widgets/web_link.h"

namespace {

// What a click could reach: shown, enabled, and not in a window that a modal one blocks.
bool TakesUserInput(const QWidget* widget) {
    if (!widget->isVisible() || !widget->isEnabled()) return false;
    const QWidget* modal = QApplication::activeModalWidget();
    return modal == nullptr || modal == widget->window();
}

// The progress bar: the job's position out of its maximum, and the per cent it shows.
class AccessiblePercentBar : public QAccessibleWidget, public QAccessibleValueInterface {
  public:
    explicit AccessiblePercentBar(PercentBar* bar)
        : QAccessibleWidget(bar, QAccessible::ProgressBar) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text which) const override {
        if (which == QAccessible::Value) return QStringLiteral("%1%").arg(bar()->percent());
        return QAccessibleWidget::text(which);
    }
    QVariant currentValue() const override { return qlonglong(bar()->position()); }
    // Only the job moves the bar.
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return qlonglong(bar()->maximum()); }
    QVariant minimumValue() const override { return qlonglong(0); }
    QVariant minimumStepSize() const override { return qlonglong(1); }

  private:
    PercentBar* bar() const { return static_cast<PercentBar*>(widget()); }
};

// A button that a screen reader presses (the image buttons, which never take the focus, and the
// browse buttons). Qt's own press clicks the button at once (a dialog it opens then holds the
// caller until it closes) or through a timer that also runs inside a part; here the press is
// a user command, and it reaches only a button that a click could reach.
class AccessiblePressButton : public QAccessibleWidget {
  public:
    explicit AccessiblePressButton(QAbstractButton* button)
        : QAccessibleWidget(button, QAccessible::PushButton) {}

    QString text(QAccessible::Text which) const override {
        if (which == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            return button()->text();
        }
        if (which == QAccessible::Description && widget()->accessibleDescription().isEmpty() &&
            !key().isEmpty()) {
            // The hint's first line, unless it only repeats the name; its second line, if
            // any, gives the key in words.
            const QString hint = widget()->toolTip().section(QLatin1Char('\n'), 0, 0);
            const QString keyText = KeyText(key());
            if (hint.isEmpty() || hint == text(QAccessible::Name)) return keyText;
            return QStringLiteral("%1 (%2)").arg(hint, keyText);
        }
        return QAccessibleWidget::text(which);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.pressed = button()->isDown();
        return state;
    }
    QStringList actionNames() const override {
        return widget()->isEnabled() ? QStringList{pressAction()} : QStringList();
    }
    void doAction(const QString& action) override {
        if (action != pressAction() || !TakesUserInput(button())) return;
        QAbstractButton* target = button();
        PostUserCommand(target, [target] {
            if (TakesUserInput(target)) target->click();
        });
    }
    QStringList keyBindingsForAction(const QString& action) const override {
        if (action != pressAction() || key().isEmpty()) return {};
        return {KeyBindingName(key())};
    }

  private:
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
    // The key of an image button's present caption; the browse buttons have none.
    QKeySequence key() const {
        const auto* image = qobject_cast<const ImageButton*>(widget());
        return image != nullptr ? image->key() : QKeySequence();
    }
};

// An animation is a picture; its name says which scene it plays, so it follows the strip.
class AccessibleAnimation : public QAccessibleWidget {
  public:
    explicit AccessibleAnimation(AnimationControl* control)
        : QAccessibleWidget(control, QAccessible::Graphic) {}

    QString text(QAccessible::Text which) const override {
        if (which != QAccessible::Name || !widget()->accessibleName().isEmpty()) {
            return QAccessibleWidget::text(which);
        }
        const QString strip = static_cast<AnimationControl*>(widget())->stripName();
        if (strip == QLatin1String("movie")) return QStringLiteral("Divide animation");
        if (strip == QLatin1String("reversed")) return QStringLiteral("Combine animation");
        if (strip == QLatin1String("movie_arrows"))
            return QStringLiteral("Combine order animation");
        return QString();
    }
};

// The About window's link: to a screen reader a link, and its press action opens it as Return
// does.
class AccessibleWebLink : public QAccessibleWidget {
  public:
    explicit AccessibleWebLink(WebLink* link) : QAccessibleWidget(link, QAccessible::Link) {}

    QString text(QAccessible::Text which) const override {
        if (which == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            return static_cast<QLabel*>(widget())->text();
        }
        return QAccessibleWidget::text(which);
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action != pressAction() || !TakesUserInput(widget())) return;
        QPointer<WebLink> link = static_cast<WebLink*>(widget());
        PostUserCommand(link, [link] {
            if (link != nullptr && TakesUserInput(link)) link->press();
        });
    }
};

// The progress page's status line: a notification, which a screen reader speaks whenever it
// shows again (it shows again at each change of its text: AnnounceStatusLine). A label's new
// text is not spoken: Orca ignores name changes of labels, and Qt's bridge sends them without
// the new name.
class AccessibleStatusLine : public QAccessibleWidget {
  public:
    explicit AccessibleStatusLine(QLabel* line)
        : QAccessibleWidget(line, QAccessible::Notification) {}

    QString text(QAccessible::Text which) const override {
        if (which == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            return static_cast<QLabel*>(widget())->text();
        }
        return QAccessibleWidget::text(which);
    }
};

QAccessibleInterface* WindowWidgetFactory(const QString& className, QObject* object) {
    // The main window is the application's frame (a bare widget would be a filler pane).
    if (className == QLatin1String("TfmMain")) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    }
    // Qt asks for each class of the object's, its own first: a type of ours is found by name.
    if (className == QLatin1String("ImageButton") || className == QLatin1String("BrowseButton")) {
        return new AccessiblePressButton(static_cast<QAbstractButton*>(object));
    }
    if (className == QLatin1String("PercentBar")) {
        return new AccessiblePercentBar(static_cast<PercentBar*>(object));
    }
    if (className == QLatin1String("AnimationControl")) {
        return new AccessibleAnimation(static_cast<AnimationControl*>(object));
    }
    if (className == QLatin1String("StatusLine")) {
        return new AccessibleStatusLine(static_cast<StatusLine*>(object));
    }
    if (className == QLatin1String("WebLink")) {
        return new AccessibleWebLink(static_cast<WebLink*>(object));
    }
    return nullptr;
}

}  // namespace

void InstallAccessibleWidgets() {
    static const bool installed = [] {
        QAccessible::installFactory(WindowWidgetFactory);
        return true;
    }();
    (void)installed;
}

void AnnounceStatusLine(QLabel& line) {
    if (!QAccessible::isActive() || !line.isVisible()) return;
    QAccessibleEvent shown(&line, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}
