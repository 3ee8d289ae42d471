list(APPEND LUMETRA_CORE_SOURCES
  src/workflow/download_stage_rules.cpp
  src/workflow/override_file.cpp
  src/workflow/retry_delay.cpp
  src/workflow/self_update_rules.cpp
  src/workflow/start_parameters.cpp
  src/workflow/swap_paths.cpp)
list(APPEND LUMETRA_WIN_SOURCES
  src/workflow/configuration_phase.cpp
  src/workflow/connection.cpp
  src/workflow/copy_to_install_path.cpp
  src/workflow/download_phase.cpp
  src/workflow/install_folder_swap.cpp
  src/workflow/install_phase.cpp
  src/workflow/register_to_system.cpp
  src/workflow/run_context.cpp
  src/workflow/self_update_phase.cpp
  src/workflow/start_product.cpp
  src/workflow/workflow_controller.cpp)
