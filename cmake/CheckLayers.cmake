# The layer check: every project include ("folder/File.h") in every source
# file must name a folder its own folder may use. Run as the test "layers":
#   cmake -DROOT=<source tree> -P cmake/CheckLayers.cmake
# It prints each wrong include as file:line and fails when there is one.
#
# The allowed layer graph, from the bottom. Each folder may include its own
# headers and those of the folders listed; the CMake targets link the same.
cmake_policy(VERSION 3.25)

set(LAYERS
    "thread:"
    "framing:"
    "rtcm:framing"
    "ubx:framing"
    "nmea:framing,rtcm,ubx"
    "intake:framing,rtcm,ubx,nmea"
    "eval:framing,rtcm,ubx,nmea"
    "serial:framing"
    "link:thread,framing,rtcm,ubx,nmea,intake,eval,serial"
    "ntrip:thread,framing,rtcm,ubx,nmea,intake,serial,link"
    "views:thread,framing,rtcm,ubx,nmea,intake,eval,serial,link,ntrip"
    "control:thread,framing,rtcm,ubx,nmea,intake,eval,serial,link,ntrip,views"
    "shell:thread,framing,rtcm,ubx,nmea,intake,eval,serial,link,ntrip,views,control"
    "tools:thread,framing,rtcm,ubx,nmea,intake,eval,serial,link,ntrip,shell"
    "bench:thread,framing,rtcm,ubx,nmea,intake,eval,serial,link,ntrip,views,control,shell,tools"
)
# Folders that may use only some headers of a folder below: "layer:folder:headers".
set(LIMITS
    "tools:shell:shell/DemoReceiver.h"
)
# A test folder tests/X may include what X may, the test helpers under tests/
# and the receiver simulator (the partner of the link and panel tests).
set(TEST_EXTRA "tests,tools")
# Test folders under other rules: the fuzz targets decode like a tool; the
# widget tests run their panels inside the real main window.
set(TEST_FOLDER_AS_fuzz "tools")
set(TEST_FOLDER_AS_views "shell")
set(TEST_FOLDER_AS_control "shell")

if(NOT ROOT)
    message(FATAL_ERROR "usage: cmake -DROOT=<source tree> -P CheckLayers.cmake")
endif()

foreach(entry IN LISTS LIMITS)
    string(REPLACE ":" ";" parts "${entry}")
    list(GET parts 0 layer)
    list(GET parts 1 folder)
    list(GET parts 2 headers)
    string(REPLACE "," ";" headers "${headers}")
    set(LIMIT_${layer}_${folder} ${headers})
endforeach()

set(known "")
foreach(entry IN LISTS LAYERS)
    string(REPLACE ":" ";" parts "${entry}")
    list(GET parts 0 folder)
    list(LENGTH parts n)
    set(uses "")
    if(n GREATER 1)
        list(GET parts 1 uses)
        string(REPLACE "," ";" uses "${uses}")
    endif()
    set(ALLOWED_${folder} ${folder} ${uses})
    list(APPEND known ${folder})
endforeach()
list(APPEND known tests)

set(bad 0)
set(checked 0)
foreach(folder IN LISTS known)
    file(GLOB_RECURSE sources RELATIVE "${ROOT}" "${ROOT}/${folder}/*.h" "${ROOT}/${folder}/*.cpp")
    foreach(source IN LISTS sources)
        # The layer whose rules apply: the folder, or for tests/X the layer X.
        string(REPLACE "/" ";" path "${source}")
        list(GET path 0 top)
        set(extra "")
        if(top STREQUAL "tests")
            list(LENGTH path depth)
            if(depth LESS 3)
                continue()  # files directly under tests/ (none hold code)
            endif()
            list(GET path 1 layer)
            if(DEFINED TEST_FOLDER_AS_${layer})
                set(layer ${TEST_FOLDER_AS_${layer}})
            endif()
            string(REPLACE "," ";" extra "${TEST_EXTRA}")
        else()
            set(layer ${top})
        endif()
        if(NOT DEFINED ALLOWED_${layer})
            message("${source}: folder '${layer}' is not in the layer table")
            math(EXPR bad "${bad} + 1")
            continue()
        endif()
        set(allowed ${ALLOWED_${layer}} ${extra})
        math(EXPR checked "${checked} + 1")
        file(STRINGS "${ROOT}/${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
        foreach(line IN LISTS lines)
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"/]+)/.*" "\\1" target "${line}")
            if(NOT target IN_LIST known)
                continue()  # not a project folder
            endif()
            if(NOT target IN_LIST allowed)
                string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" header "${line}")
                string(REPLACE ";" ", " may "${allowed}")
                message("${source}: includes ${header}, but ${layer} may use only: ${may}")
                math(EXPR bad "${bad} + 1")
            elseif(DEFINED LIMIT_${top}_${target})
                string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" header "${line}")
                if(NOT header IN_LIST LIMIT_${top}_${target})
                    string(REPLACE ";" ", " may "${LIMIT_${top}_${target}}")
                    message("${source}: includes ${header}, but ${top} may use of ${target} only: ${may}")
                    math(EXPR bad "${bad} + 1")
                endif()
            endif()
        endforeach()
    endforeach()
endforeach()

if(bad GREATER 0)
    message(FATAL_ERROR "${bad} include(s) against the layer graph")
endif()
message("layers: ${checked} files follow the layer graph")
