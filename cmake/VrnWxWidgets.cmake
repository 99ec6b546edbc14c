# wxWidgets 3.2 from Debian: FindwxWidgets only sets variables, so wrap them in imported
# targets. Includes are SYSTEM so that -Wall -Wextra reports our code only.
find_package(wxWidgets 3.2 REQUIRED COMPONENTS core base)

function(vrn_wx_target name)
    add_library(${name} INTERFACE IMPORTED GLOBAL)
    target_include_directories(${name} SYSTEM INTERFACE ${wxWidgets_INCLUDE_DIRS})
    target_compile_definitions(${name} INTERFACE ${wxWidgets_DEFINITIONS})
    separate_arguments(_wx_flags UNIX_COMMAND "${wxWidgets_CXX_FLAGS}")
    target_compile_options(${name} INTERFACE ${_wx_flags})
    target_link_libraries(${name} INTERFACE ${ARGN})
endfunction()

# wx::core brings the GUI libraries (core + base); wx::base the base library only.
set(_wx_base_libs ${wxWidgets_LIBRARIES})
list(FILTER _wx_base_libs EXCLUDE REGEX "gtk3u_")
vrn_wx_target(wx::core ${wxWidgets_LIBRARIES})
vrn_wx_target(wx::base ${_wx_base_libs})
