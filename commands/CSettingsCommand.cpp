#include "CSettingsCommand.h"

#include "CProjectDocument.h"

#include <QCoreApplication>

CSettingsCommand::CSettingsCommand(CProjectDocument &doc, const CProjectSettings &settings)
    : document(doc), oldSettings(doc.GetSettings()), newSettings(settings)
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
    document.SetSettings(settings);
}
