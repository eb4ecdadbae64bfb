#include "compare/foldersoflist.h"

#include "project/project.h"

FoldersOfList FoldersOfList::of(const TProject &project)
{
    return {project.sourceFolder(), project.destinationFolder(), project.PathRecursive};
}
