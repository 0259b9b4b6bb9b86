#include "ControlPanelTestBed.h"

#include <QRadioButton>
#include <gtest/gtest.h>

#include "panels/NEdit.h"

namespace zr::test
{

CXKorvelCamCtrl& ControlPanelTestBed::Start(const std::string& model)
{
    bed.AttachCamera(0, model);
    bed.settings.WriteInt("Comm", "Class", 0);
    bed.settings.WriteInt("Comm", "Port", 0);
    CXKorvelCamCtrl& control = StartOffline();
    EXPECT_TRUE(control.CheckOnline());
    Camera().ClearReceivedLines();
    return control;
}

CXKorvelCamCtrl& ControlPanelTestBed::StartOffline()
{
    CXKorvelCamCtrl& control = bed.MakeControl();
    window_ = std::make_unique<CControlWindow>(control, nullptr,
                                               QString::fromStdString(bed.dir.File("shots")));
    window_->Start();
    return control;
}

CDialogOCXBase& ControlPanelTestBed::Panel(int32_t index)
{
    auto* panel = dynamic_cast<CDialogOCXBase*>(bed.Control().GetPanel(index));
    EXPECT_NE(panel, nullptr) << "panel " << index;
    return *panel;
}

void ControlPanelTestBed::Choose(int32_t panel, int id, int position)
{
    auto* list = Control<QComboBox>(panel, id);
    ASSERT_NE(list, nullptr) << id;
    list->setCurrentIndex(position);
    emit list->activated(position);
}

void ControlPanelTestBed::ClickRadio(int32_t panel, int id, int position)
{
    QButtonGroup* group = Panel(panel).Controls().RadioGroup(id);
    ASSERT_NE(group, nullptr) << id;
    group->button(position)->setChecked(true);
    emit group->idClicked(position);
}

void ControlPanelTestBed::Tick(int32_t panel, int id, bool checked)
{
    auto* box = Control<QCheckBox>(panel, id);
    ASSERT_NE(box, nullptr) << id;
    box->setChecked(checked);
    emit box->clicked(checked);
}

void ControlPanelTestBed::Type(int32_t panel, int id, const QString& text)
{
    auto* field = Control<CNEdit>(panel, id);
    ASSERT_NE(field, nullptr) << id;
    field->setText(text);
}

void ControlPanelTestBed::Press(int32_t panel, int id)
{
    auto* button = Control<QAbstractButton>(panel, id);
    ASSERT_NE(button, nullptr) << id;
    emit button->clicked(false);
}

int ControlPanelTestBed::Shown(int32_t panel, int id)
{
    QWidget* widget = Widget(panel, id);
    if (auto* list = qobject_cast<QComboBox*>(widget))
        return list->currentIndex();
    if (auto* field = qobject_cast<CNEdit*>(widget))
        return field->text().toInt();
    if (qobject_cast<QRadioButton*>(widget) != nullptr)
        return Panel(panel).Controls().RadioGroup(id)->checkedId();
    if (auto* box = qobject_cast<QCheckBox*>(widget))
        return box->isChecked() ? 1 : 0;
    ADD_FAILURE() << "no value control " << id;
    return -1;
}

QStringList ControlPanelTestBed::Items(const QComboBox& list)
{
    QStringList items;
    for (int i = 0; i < list.count(); ++i)
        items << list.itemText(i);
    return items;
}

std::vector<std::string> ControlPanelTestBed::TakeLines()
{
    std::vector<std::string> lines = Camera().ReceivedLines();
    Camera().ClearReceivedLines();
    return lines;
}

} // namespace zr::test
