# Shared compile settings for every target of the project.
add_library(mojing_common INTERFACE)
target_compile_features(mojing_common INTERFACE cxx_std_20)
target_compile_options(mojing_common INTERFACE -Wall -Wextra -Wno-unused-parameter)
target_compile_definitions(mojing_common INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CONTEXTLESS_CONNECT
    QT_USE_QSTRINGBUILDER)
