#include "PushButton.h"

#include "Application.h"
#include "UiThread.h"

#include <QPushButton>
#include <QShortcut>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace {

// A one-line caption is fitted to the room the style leaves for it (the
// button's width less what its frame and margins take beside a caption) as
// the button is drawn, as a label fits its line: a caption too wide for the
// button no longer loses both its ends.
class ButtonWidget : public QPushButton {
public:
    FittedLine Shown()
    {
        if (text().contains(QLatin1Char('\n')))
            return {font(), text()};
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        const int frame = style()->sizeFromContents(QStyle::CT_PushButton, &option, QSize(0, 0), this).width();
        return m_fitter.Fit(text(), font(), width() - frame, Qt::AlignHCenter);
    }

protected:
    // What QPushButton draws, with the fitted caption.
    void paintEvent(QPaintEvent*) override
    {
        const FittedLine caption = Shown();
        QStylePainter painter(this);
        painter.setFont(caption.font);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text = caption.text;
        option.fontMetrics = QFontMetrics(caption.font);
        painter.drawControl(QStyle::CE_PushButton, option);
    }

private:
    LineFitter m_fitter;
};

ButtonWidget* Widget(const PushButton& button)
{
    return static_cast<ButtonWidget*>(button.NativeWidget());
}

} // namespace

const ClassInfo& PushButton::StaticClassInfo()
{
    static const ClassInfo info = [] {
        std::vector<PropertyInfo> properties{
            MakeProperty("Caption", PropertyType::String, &PushButton::Caption, &PushButton::SetCaption),
            MakeProperty("Default", PropertyType::Boolean, &PushButton::Default, &PushButton::SetDefault),
            // Escape handling and the other frame styles belong to other
            // desktops; the values are kept for reading back.
            MakeStored("Cancel", PropertyType::Boolean),
            MakeStored("ButtonStyle", PropertyType::Enum64),
        };
        for (PropertyInfo& font : FontProperties())
            properties.push_back(std::move(font));
        return ClassInfo("PushButton", &RectControl::StaticClassInfo(), std::move(properties));
    }();
    return info;
}

PushButton::PushButton() : RectControl(NewWidget<ButtonWidget>())
{
    QPushButton* button = Widget(*this);
    button->setAutoDefault(false);
    QObject::connect(button, &QPushButton::clicked, button, [this] {
        _CallGuarded([this] { Action.Raise(*this); });
    });

    // QPushButton honours "default" only inside a QDialog; our windows are
    // main windows, so Return is routed to the default button here.
    for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(key), button);
        shortcut->setContext(Qt::WindowShortcut);
        shortcut->setEnabled(false);
        QObject::connect(shortcut, &QShortcut::activated, button, [button] {
            if (button->isEnabled() && button->isVisible())
                button->click();
        });
    }
}

std::string PushButton::Caption() const
{
    RequireMainThread();
    return Widget(*this)->text().toStdString();
}

void PushButton::SetCaption(const std::string& caption)
{
    RequireMainThread();
    Widget(*this)->setText(QString::fromStdString(caption));
}

bool PushButton::Default() const
{
    RequireMainThread();
    return Widget(*this)->isDefault();
}

void PushButton::SetDefault(bool isDefault)
{
    RequireMainThread();
    QPushButton* button = Widget(*this);
    button->setDefault(isDefault);
    for (QShortcut* shortcut : button->findChildren<QShortcut*>(Qt::FindDirectChildrenOnly))
        shortcut->setEnabled(isDefault);
}

FittedLine PushButton::_ShownCaption() const
{
    return Widget(*this)->Shown();
}

void PushButton::Push()
{
    RequireMainThread();
    Widget(*this)->click();
}
