#include "CSettingsCommand.h"

#include "CDecisionTreeWindow.h"

#include <QCoreApplication>

CSettingsCommand::CSettingsCommand(CDecisionTreeWindow *pWindow, const CProjectSettings &settings)
    : window(pWindow), oldSettings(pWindow->GetDocument().GetSettings()), newSettings(settings)
{
    setText(QCoreApplication::translate("CSettingsCommand", "Change Project Settings"));
}

void CSettingsCommand::undo()
{
    Apply(oldSettings);
}

void CSettingsCommand::redo()
{
    Apply(newSettings);
}

void CSettingsCommand::Apply(const CProjectSettings &settings)
{
    window->GetDocument().SetSettings(settings);
}
