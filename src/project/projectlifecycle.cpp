#include "project/projectlifecycle.h"

#include "platform/paths.h"
#include "project/project.h"

void newProject(TProject &project)
{
    project.SrcPath = kDefaultProjectFolder;
    project.DestPath = kDefaultProjectFolder;
    project.PathRecursive = false;
    project.FileName.clear();
    project.ExtensionsToExclude.clear();
    project.FilesToExclude.clear();
    project.Modified = false;
}

ProjectFileRead openProject(TProject &project, const QString &path)
{
    ProjectFileContent content;
    const ProjectFileRead read = readProjectFile(path, content);
    if (!read.ok())
        return read;
    project.SrcPath = content.SrcPath;
    project.DestPath = content.DestPath;
    project.PathRecursive = content.PathRecursive;
    project.ExtensionsToExclude.assign(content.extensionsToExclude);
    project.FilesToExclude.assign(content.filesToExclude);
    project.FileName = path;
    project.Modified = false;
    return read;
}

platform::IoStatus saveProject(TProject &project, const QString &path)
{
    ProjectFileContent content;
    content.SrcPath = project.SrcPath;
    content.DestPath = project.DestPath;
    content.PathRecursive = project.PathRecursive;
    content.extensionsToExclude = project.ExtensionsToExclude.entries();
    content.filesToExclude = project.FilesToExclude.entries();
    const platform::IoStatus status = writeProjectFile(path, content);
    if (status.ok()) {
        project.FileName = path;
        project.Modified = false;
    }
    return status;
}

QString projectCaption(const TProject &project)
{
    return QStringLiteral("Tandrimo - [%1]").arg(platform::fileNamePart(project.FileName));
}
