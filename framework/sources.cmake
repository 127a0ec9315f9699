# Sources of the portable framework layer.
target_sources(framework PRIVATE
)
