// module georef
