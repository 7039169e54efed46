# Runs the layer check over small trees written here, with one wrong include
# each, and expects it to name the include; a tree of allowed includes passes.
#   cmake -DWORK=<scratch folder> -P cmake/CheckLayersTest.cmake
cmake_policy(VERSION 3.25)
set(check ${CMAKE_CURRENT_LIST_DIR}/CheckLayers.cmake)
if(NOT WORK)
    message(FATAL_ERROR "usage: cmake -DWORK=<scratch folder> -P CheckLayersTest.cmake")
endif()

# A tree with the given files ("path|include;...") and the check's verdict.
function(run_check name files expect_ok expect_text)
    set(tree ${WORK}/${name})
    file(REMOVE_RECURSE ${tree})
    foreach(entry IN LISTS files)
        string(REPLACE "|" ";" parts "${entry}")
        list(GET parts 0 path)
        list(GET parts 1 header)
        file(WRITE ${tree}/${path} "// ${name}\n#include <vector>\n#include \"${header}\"\n")
    endforeach()
    execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${tree} -P ${check}
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(expect_ok AND NOT rc EQUAL 0)
        message(FATAL_ERROR "${name}: the check refused allowed includes:\n${out}${err}")
    endif()
    if(NOT expect_ok AND rc EQUAL 0)
        message(FATAL_ERROR "${name}: the check let a wrong include through:\n${out}${err}")
    endif()
    if(expect_text)
        string(FIND "${out}${err}" "${expect_text}" at)
        if(at EQUAL -1)
            message(FATAL_ERROR "${name}: expected \"${expect_text}\" in:\n${out}${err}")
        endif()
    endif()
endfunction()

run_check(allowed
    "link/ThreadX.cpp|serial/YComPort.h;serial/YComPort.cpp|framing/Framing.h;shell/main.cpp|control/Panel.h;tests/link/test_x.cpp|tests/serial/PtyPair.h;tests/control/test_y.cpp|tools/sim/ReceiverSimulator.h;nmea/Dispatch.cpp|nmea/Dispatch.h;tests/fuzz/fuzz_x.cpp|nmea/Dispatch.h"
    TRUE "")
run_check(upward "nmea/Dispatch.cpp|link/ThreadNMEAFetch.h" FALSE
    "nmea/Dispatch.cpp: includes link/ThreadNMEAFetch.h, but nmea may use only: nmea, framing")
run_check(sibling "serial/YComPort.cpp|nmea/Dispatch.h" FALSE
    "serial/YComPort.cpp: includes nmea/Dispatch.h")
run_check(panel_to_window "control/FrameComPortSetting.cpp|shell/MainForm.h" FALSE
    "control/FrameComPortSetting.cpp: includes shell/MainForm.h")
run_check(shell_to_tools "shell/main.cpp|tools/sim/ReceiverSimulator.h" FALSE
    "shell/main.cpp: includes tools/sim/ReceiverSimulator.h")
run_check(test_above_its_layer "tests/nmea/test_x.cpp|link/ThreadNMEAFetch.h" FALSE
    "tests/nmea/test_x.cpp: includes link/ThreadNMEAFetch.h")
run_check(tool_to_window "tools/decode/main.cpp|shell/MainForm.h" FALSE
    "tools/decode/main.cpp: includes shell/MainForm.h, but tools may use of shell only: shell/DemoReceiver.h")
run_check(tool_to_demo "tools/sim/Demo.cpp|shell/DemoReceiver.h" TRUE "")
run_check(unknown_folder "gadgets/Thing.cpp|nmea/Dispatch.h" TRUE "")
message("layer check: every wrong include caught")
