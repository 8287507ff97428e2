// module planning
