#include "SvgFile.h"

std::string SvgFileName(const std::string& fileName)
{
    const std::size_t slash = fileName.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (fileName.find('.', nameStart) != std::string::npos)
        return fileName;
    return fileName + ".svg";
}

std::string SaveSvg(const TextBuffer& svg, const std::string& fileName)
{
    std::string target = SvgFileName(fileName);
    svg.SaveToFile(target);
    return target;
}
