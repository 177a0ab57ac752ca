# The plug-in's layers from the top down, and what each may include: its own
# folder and the folders of the layers below it. `lists` and `responses`
# stand side by side and neither includes the other; the headers of `common`
# include nothing of ours, so every layer may include them (the category
# table's source looks its names up in the platform's string table). The
# configuration step and the test `layer_includes` both read this table, and
# each layer's library sees only these folders, so an include the wrong way
# fails the build.
set(AVEX_LAYERS ui plugin filter engine config lists responses common platform)

set(AVEX_LAYER_platform_SEES platform resources)
set(AVEX_LAYER_common_SEES common platform)
set(AVEX_LAYER_responses_SEES responses common platform)
set(AVEX_LAYER_lists_SEES lists common platform)
set(AVEX_LAYER_config_SEES config lists responses common platform)
set(AVEX_LAYER_engine_SEES engine config lists responses common platform)
set(AVEX_LAYER_filter_SEES filter engine config lists responses common platform)
set(AVEX_LAYER_plugin_SEES plugin filter engine config lists responses common platform)
set(AVEX_LAYER_ui_SEES ui plugin filter engine config lists responses common platform resources)

# A layer's tests and their helpers may also use the shared test helpers.
set(AVEX_TEST_FILE_REGEX "(_test\\.cpp|_test_support\\.h|/fake_[a-z_]+\\.h)$")
set(AVEX_TEST_SEES tests)
