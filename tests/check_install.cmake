# Installs the build into a scratch prefix and checks that the program, its
# guide and the desktop integration land where a desktop looks for them.
#   cmake -DBUILD_DIR=... -DPREFIX=... -DPROGRAM_DIR=... -DSOURCE_DIR=... -P check_install.cmake

foreach(variable BUILD_DIR PREFIX PROGRAM_DIR SOURCE_DIR)
    if(NOT ${variable})
        message(FATAL_ERROR "${variable} is not set")
    endif()
endforeach()

set(failures "")
macro(fail text)
    list(APPEND failures "${text}")
endmacro()

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${result}):\n${output}")
endif()

# Macros rather than functions, so that every failure lands in the one list.
macro(expect_same_file actual expected)
    if(NOT EXISTS "${actual}")
        fail("missing: ${actual}")
    else()
        execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${actual}" "${expected}"
                        RESULT_VARIABLE differs)
        if(NOT differs EQUAL 0)
            fail("differs from ${expected}: ${actual}")
        endif()
    endif()
endmacro()

# One whole line; values may hold semicolons, so one call per line.
macro(expect_line file line)
    if(NOT EXISTS "${file}")
        fail("missing: ${file}")
    else()
        file(READ "${file}" content)
        string(FIND "\n${content}\n" "\n${line}\n" at)
        if(at EQUAL -1)
            fail("${file} lacks the line '${line}'")
        endif()
    endif()
endmacro()

macro(expect_text file)
    if(NOT EXISTS "${file}")
        fail("missing: ${file}")
    else()
        file(READ "${file}" content)
        foreach(text IN ITEMS ${ARGN})
            string(FIND "${content}" "${text}" at)
            if(at EQUAL -1)
                fail("${file} lacks '${text}'")
            endif()
        endforeach()
    endif()
endmacro()

# The program and the guide that its Help action opens: in the data folder of
# an installation, beside the program in the build folder.
if(NOT EXISTS "${PREFIX}/bin/ramify")
    fail("missing: ${PREFIX}/bin/ramify")
endif()
expect_same_file("${PREFIX}/share/ramify/help.html" "${SOURCE_DIR}/doc/help.html")
expect_same_file("${PROGRAM_DIR}/help.html" "${SOURCE_DIR}/doc/help.html")

# Menu entry.
set(desktop "${PREFIX}/share/applications/ramify.desktop")
foreach(line "[Desktop Entry]" "Type=Application" "Name=Ramify" "Exec=ramify %F" "Icon=ramify")
    expect_line("${desktop}" "${line}")
endforeach()
expect_line("${desktop}" "Categories=Office;")
expect_line("${desktop}" "MimeType=application/x-ramify-project;")

# Icons: the scalable one and the 64 x 64 bitmap.
expect_same_file("${PREFIX}/share/icons/hicolor/scalable/apps/ramify.svg"
                 "${SOURCE_DIR}/resources/ramify.svg")
set(png "${PREFIX}/share/icons/hicolor/64x64/apps/ramify.png")
if(EXISTS "${png}")
    # PNG signature, then the IHDR chunk whose first eight bytes are width and height.
    file(READ "${png}" signature LIMIT 8 HEX)
    file(READ "${png}" size OFFSET 16 LIMIT 8 HEX)
    if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT size STREQUAL "0000004000000040")
        fail("${png} is not a 64 x 64 PNG (${signature}, ${size})")
    endif()
else()
    fail("missing: ${png}")
endif()

# File type.
set(mime "${PREFIX}/share/mime/packages/ramify.xml")
expect_text("${mime}" "type=\"application/x-ramify-project\"" "pattern=\"*.rmproj\""
            "localName=\"RMFYProject\"")
find_program(UPDATE_MIME update-mime-database)
if(UPDATE_MIME AND EXISTS "${mime}")
    # The desktop's own tool must accept the file and map the extension.
    execute_process(COMMAND "${UPDATE_MIME}" "${PREFIX}/share/mime"
                    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0 OR output MATCHES "[Ee]rror|[Ww]arning")
        fail("update-mime-database rejects ${mime}: ${output}")
    endif()
    expect_text("${PREFIX}/share/mime/globs2" "application/x-ramify-project:*.rmproj")
endif()

# The guide opens from disk without a network: nothing may be fetched.
file(READ "${SOURCE_DIR}/doc/help.html" guide)
foreach(pattern "<link" "<script" "<img" "<iframe" "src=" "url(" "@import")
    string(FIND "${guide}" "${pattern}" at)
    if(NOT at EQUAL -1)
        fail("help.html refers to an outside resource: ${pattern}")
    endif()
endforeach()

file(REMOVE_RECURSE "${PREFIX}")
if(failures)
    string(REPLACE ";" "\n  " report "${failures}")
    message(FATAL_ERROR "Installation check failed:\n  ${report}")
endif()
message(STATUS "Installation check passed")
