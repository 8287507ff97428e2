// module export
