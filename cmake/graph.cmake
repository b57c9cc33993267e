# The library graph: each target and the project targets it may depend on.
# Bottom first; a target may only name targets above it in this list.
set(QUELM_GRAPH
  "quelm_platform:"
  "quelm_protocol:"
  "quelm_core:"
  "quelm_driver_api:"
  "quelm_files:quelm_platform"
  "quelm_trace:quelm_files,quelm_driver_api,quelm_protocol,quelm_core"
  # The handlers: the ground floor, the link, one target per operation, the
  # decoder that dispatches replies to them, and the shell that binds them.
  "quelm_form:quelm_driver_api,quelm_protocol,quelm_core"
  "quelm_link:quelm_form"
  "quelm_read_params:quelm_link,quelm_form"
  "quelm_addresses:quelm_link,quelm_form"
  "quelm_program_number:quelm_link,quelm_form"
  "quelm_send_params:quelm_read_params,quelm_link,quelm_form"
  "quelm_box:quelm_link,quelm_form"
  "quelm_project:quelm_form,quelm_files,quelm_protocol,quelm_core,quelm_platform"
  "quelm_decoder:quelm_read_params,quelm_addresses,quelm_program_number,quelm_send_params,quelm_box,quelm_link,quelm_form"
  "quelm_shell:quelm_decoder,quelm_read_params,quelm_addresses,quelm_program_number,quelm_send_params,quelm_box,\
quelm_project,quelm_link,quelm_form,quelm_files,quelm_protocol,quelm_core,quelm_platform"
  "quelm_handlers:quelm_shell,quelm_trace"
  "quelm_sim:quelm_driver_api,quelm_core,quelm_platform"
  "quelm_serial:quelm_driver_api,quelm_core,quelm_platform"
  "quelm_qt_scheduler:quelm_core,quelm_platform"
  "quelm_app:quelm_handlers,quelm_sim,quelm_serial,quelm_protocol,quelm_core,quelm_platform"
  "quelm_site:quelm_handlers,quelm_protocol,quelm_core,quelm_platform"
  "quelm_view:quelm_site,quelm_handlers,quelm_protocol,quelm_core"
  "quelm_winview:quelm_site,quelm_handlers,quelm_trace,quelm_protocol,quelm_core,quelm_platform"
  "quelm_cli_lib:quelm_site,quelm_app,quelm_handlers,quelm_serial,quelm_protocol,quelm_core,quelm_platform"
  # The window: the Qt view on Linux, the native view on Windows.
  "quelmbox:quelm_view,quelm_winview,quelm_app,quelm_qt_scheduler")

# The target each source folder belongs to.
set(QUELM_FOLDERS
  "platform:quelm_platform" "protocol:quelm_protocol" "core:quelm_core" "driver_api:quelm_driver_api"
  "files:quelm_files" "trace:quelm_trace" "form:quelm_form" "link:quelm_link" "read_params:quelm_read_params"
  "addresses:quelm_addresses" "program_number:quelm_program_number" "send_params:quelm_send_params" "box:quelm_box"
  "project:quelm_project" "decoder:quelm_decoder" "shell:quelm_shell"
  "drivers/sim:quelm_sim" "drivers/serial:quelm_serial" "drivers/qt:quelm_qt_scheduler" "app:quelm_app" "site:quelm_site"
  "ui:quelm_view" "win:quelm_winview" "cli:quelm_cli_lib")

# Allowed direct dependencies of `target` into `out`.
function(quelm_allowed target out)
  set(result "")
  set(rank 0)
  foreach(entry ${QUELM_GRAPH})
    string(REPLACE ":" ";" parts "${entry}")
    list(GET parts 0 name)
    if(name STREQUAL target)
      list(LENGTH parts n)
      if(n GREATER 1)
        list(GET parts 1 deps)
        string(REPLACE "," ";" result "${deps}")
      endif()
    endif()
  endforeach()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

# Fails when the table itself names a target that is not below the one naming
# it: then no cycle can be built from allowed edges.
function(quelm_check_graph_order)
  set(seen "")
  foreach(entry ${QUELM_GRAPH})
    string(REPLACE ":" ";" parts "${entry}")
    list(GET parts 0 name)
    quelm_allowed(${name} deps)
    foreach(dep ${deps})
      if(NOT dep IN_LIST seen)
        message(FATAL_ERROR "library graph: ${name} depends on ${dep}, which is not below it")
      endif()
    endforeach()
    list(APPEND seen ${name})
  endforeach()
endfunction()

# Everything `target` may reach, itself included.
function(quelm_reachable target out)
  set(result ${target})
  quelm_allowed(${target} deps)
  foreach(dep ${deps})
    quelm_reachable(${dep} sub)
    list(APPEND result ${sub})
  endforeach()
  list(REMOVE_DUPLICATES result)
  set(${out} "${result}" PARENT_SCOPE)
endfunction()
