# Writes OUTPUT, a C++ source that holds the page's files (FILES, a list of paths) as byte arrays, with
# WbFindServeAsset looking them up by their file name.
set(declarations "")
set(entries "")
set(index 0)
foreach(file ${FILES})
    get_filename_component(name ${file} NAME)
    get_filename_component(extension ${file} LAST_EXT)
    if(extension STREQUAL ".html")
        set(type "text/html; charset=utf-8")
    elseif(extension STREQUAL ".js")
        set(type "text/javascript; charset=utf-8")
    elseif(extension STREQUAL ".css")
        set(type "text/css; charset=utf-8")
    else()
        message(FATAL_ERROR "${file}: no content type for ${extension}")
    endif()
    file(READ ${file} hex HEX)
    string(LENGTH "${hex}" digits)
    math(EXPR size "${digits} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
    string(APPEND declarations "const char kFile${index}[] = {${bytes} 0};\n")
    string(APPEND entries "    {\"/${name}\", \"${type}\", kFile${index}, ${size}},\n")
    math(EXPR index "${index} + 1")
endforeach()
file(WRITE ${OUTPUT}.new "// Made by EmbedPage.cmake from the page's files; changes belong in those files.
#include \"WbServePage.h\"

namespace {

${declarations}
const WbServeAsset kAssets[] = {
${entries}};

} // namespace

const WbServeAsset* WbFindServeAsset(const std::string& path)
{
    for (const WbServeAsset& asset : kAssets)
        if (path == asset.path)
            return &asset;
    return nullptr;
}
")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
