#include "OpenDialog.h"

#include "UiThread.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>

namespace {
bool g_useQtDialog = false;
}

void OpenDialog::_UseQtDialog(bool use)
{
    g_useQtDialog = use;
}

OpenDialog::OpenDialog()
{
    RequireMainThread();
}

std::shared_ptr<FolderItem> OpenDialog::ShowModal()
{
    RequireMainThread();
    QFileDialog dialog(nullptr, QApplication::applicationName());
    dialog.setObjectName("OpenDialog");
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::DontUseNativeDialog, g_useQtDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return nullptr;
    return std::make_shared<FolderItem>(QFile::encodeName(dialog.selectedFiles().first()).toStdString());
}
