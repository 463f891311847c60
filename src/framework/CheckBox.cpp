#include "CheckBox.h"

#include "Application.h"
#include "UiThread.h"

#include <QCheckBox>

namespace {

// The widget behind a CheckBox. Only the program can make the box
// indeterminate; a click on it, as on an unticked box, ticks it.
class CheckBoxWidget : public QCheckBox {
protected:
    void nextCheckState() override { setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked); }
};

QCheckBox* Widget(const CheckBox& box)
{
    return static_cast<QCheckBox*>(box.NativeWidget());
}

} // namespace

const ClassInfo& CheckBox::StaticClassInfo()
{
    static const ClassInfo info = [] {
        std::vector<PropertyInfo> properties{
            MakeProperty("Caption", PropertyType::String, &CheckBox::Caption, &CheckBox::SetCaption),
            MakeProperty("Value", PropertyType::Boolean, &CheckBox::Value, &CheckBox::SetValue),
            MakeProperty("State", PropertyType::Enum64, &CheckBox::State, &CheckBox::SetState),
            MakeStored("DataSource", PropertyType::String),
            MakeStored("DataField", PropertyType::String),
        };
        for (PropertyInfo& font : FontProperties())
            properties.push_back(std::move(font));
        return ClassInfo("CheckBox", &RectControl::StaticClassInfo(), std::move(properties));
    }();
    return info;
}

CheckBox::CheckBox() : RectControl(NewWidget<CheckBoxWidget>())
{
    QCheckBox* box = Widget(*this);
    // stateChanged comes for clicks and for setCheckState alike, and only
    // when the state really changes: exactly the moments Action stands for.
    // It is emitted synchronously, so a program's set raises Action before
    // the setter returns.
    QObject::connect(box, &QCheckBox::stateChanged, box, [this] {
        _CallGuarded([this] { Action.Raise(*this); });
    });
}

std::string CheckBox::Caption() const
{
    RequireMainThread();
    return Widget(*this)->text().toStdString();
}

void CheckBox::SetCaption(const std::string& caption)
{
    RequireMainThread();
    Widget(*this)->setText(QString::fromStdString(caption));
}

bool CheckBox::Value() const
{
    RequireMainThread();
    return Widget(*this)->checkState() == Qt::Checked;
}

void CheckBox::SetValue(bool value)
{
    RequireMainThread();
    Widget(*this)->setCheckState(value ? Qt::Checked : Qt::Unchecked);
}

std::int64_t CheckBox::State() const
{
    RequireMainThread();
    switch (Widget(*this)->checkState()) {
    case Qt::Checked: return Checked;
    case Qt::PartiallyChecked: return Indeterminate;
    default: return Unchecked;
    }
}

void CheckBox::SetState(std::int64_t state)
{
    RequireMainThread();
    QCheckBox* box = Widget(*this);
    switch (state) {
    case Checked: box->setCheckState(Qt::Checked); break;
    case Indeterminate: box->setCheckState(Qt::PartiallyChecked); break;
    default: box->setCheckState(Qt::Unchecked); break;
    }
}
